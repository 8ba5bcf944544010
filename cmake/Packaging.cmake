# The Debian package: `cpack -G DEB` in a build folder makes tintrix_VERSION_ARCH.deb from the
# install rules, with /usr as its prefix.
set(CPACK_PACKAGE_NAME tintrix)
set(CPACK_PACKAGE_VENDOR "Tintrix contributors")
set(CPACK_PACKAGE_CONTACT "Tintrix contributors <tintrix@quorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a line of text into faded HTML")
# The long description, in lines that fit a terminal (and no semicolons: CMake lists).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tintrix gives every character of a line of text its own colour tag, blending"
  "from a first colour through each following one to the last: 2, 3, 4, 5 or 10"
  "colours, with optional bold, italic, underline, a font face and a wavy effect."
  "The window writes the markup to a file or the clipboard and keeps fades in"
  "small fade files. The tintrix-fade command makes the same fades from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quorvel.example/tintrix/")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The dependencies are the packages of the shared libraries the programs link, as
# dpkg-shlibdeps finds them; Qt's X11 platform comes with its GUI library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The install that makes the package puts the zsh completion where Debian's zsh looks for that
# of packaged commands, and adds what only a package has (see below).
set(CPACK_CUSTOM_INSTALL_VARIABLES
  "TINTRIX_ZSH_COMPLETION_DIR=share/zsh/vendor-completions" "TINTRIX_DEBIAN_PACKAGE=ON")

# The package's changelog, cmake/debian/changelog, in Debian's format. The package is native
# (its version has no Debian revision: the project packages itself), so Debian's policy names
# the file changelog.gz. Its latest entry must be this version's.
set(changelog ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
file(STRINGS ${changelog} latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^tintrix \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "${changelog} starts with \"${latest}\", not with an entry for "
    "tintrix ${PROJECT_VERSION}")
endif()
tintrix_gzip(${changelog} changelog_gz)
add_custom_target(tintrix_debian_changelog ALL DEPENDS ${changelog_gz})
install(CODE "
  if(TINTRIX_DEBIAN_PACKAGE)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/tintrix\"
      TYPE FILE FILES \"${changelog_gz}\")
  endif()")

include(CPack)
