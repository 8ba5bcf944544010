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
# Where Debian's zsh looks for the completion of packaged commands.
set(CPACK_CUSTOM_INSTALL_VARIABLES "TINTRIX_ZSH_COMPLETION_DIR=share/zsh/vendor-completions")

include(CPack)
