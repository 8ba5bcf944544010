# The unit and widget tests: GoogleTest programs, each registered with CTest by
# tintrix_add_test. Included by tests/CMakeLists.txt when TINTRIX_UNIT_TESTS is on.
find_package(GTest REQUIRED)
include(GoogleTest)

# The fakes and helpers the tests share, header-only, and the two mains: one without any
# window system, one with a QApplication on the offscreen platform.
add_library(tintrix_testsupport INTERFACE)
tintrix_layer(tintrix_testsupport tests)
target_link_libraries(tintrix_testsupport INTERFACE GTest::gtest GTest::gmock)
add_library(tintrix_testmain STATIC testmain.cpp)
target_link_libraries(tintrix_testmain PUBLIC tintrix_testsupport)
add_library(tintrix_widgettestmain STATIC widgettestmain.cpp)
target_link_libraries(tintrix_widgettestmain PUBLIC tintrix_testsupport Qt6::Widgets)

# Tests carry line tables only, enough for a failure's or a sanitizer's backtrace: full debug
# information of GoogleTest's and Qt's templates takes a third of their build. In the dev build
# they are not optimized either (the product's libraries they link are): their own code is
# tables and loops, and optimizing GoogleTest's macros takes another third.
set(tintrix_test_options $<$<CONFIG:Debug,RelWithDebInfo>:-g1> $<$<CONFIG:RelWithDebInfo>:-O0>)

# Registers one test program: tintrix_add_test(NAME LIBRARIES ... [WIDGETS]). Each runs with
# HOME and XDG_CONFIG_HOME in a temporary folder of its own; widget tests draw offscreen.
# PLATFORM names the Qt platform a test runs on when not plain offscreen.
function(tintrix_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 test "WIDGETS" "PLATFORM" "LIBRARIES")
  if(NOT test_PLATFORM)
    set(test_PLATFORM offscreen)
  endif()
  add_executable(${name} ${name}.cpp)
  target_compile_options(${name} PRIVATE ${tintrix_test_options})
  if(test_WIDGETS)
    target_link_libraries(${name} PRIVATE tintrix_widgettestmain)
  else()
    target_link_libraries(${name} PRIVATE tintrix_testmain)
  endif()
  target_link_libraries(${name} PRIVATE ${test_LIBRARIES})
  gtest_discover_tests(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${test_PLATFORM}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# The engine's tests link neither Qt nor ICU.
tintrix_add_test(color_test LIBRARIES tintrix_engine)
tintrix_add_test(colornames_test LIBRARIES tintrix_engine)
tintrix_add_test(colorstops_test LIBRARIES tintrix_engine)
tintrix_add_test(contrast_test LIBRARIES tintrix_engine)
tintrix_add_test(fadefit_test LIBRARIES tintrix_engine)
tintrix_add_test(fadegenerator_test LIBRARIES tintrix_engine)
tintrix_add_test(formatwriter_test LIBRARIES tintrix_engine)
tintrix_add_test(stopfit_test LIBRARIES tintrix_engine)
tintrix_add_test(text_test LIBRARIES tintrix_engine)

tintrix_add_test(atomicfile_test LIBRARIES tintrix_platform)

tintrix_add_test(graphemes_test LIBRARIES tintrix_commands)
# The Unicode Consortium's test cases for character breaks (Debian's unicode-data).
find_file(TINTRIX_GRAPHEME_BREAK_TEST GraphemeBreakTest.txt
  PATHS /usr/share/unicode/auxiliary /usr/share/unicode-data/auxiliary NO_DEFAULT_PATH)
target_compile_definitions(graphemes_test PRIVATE
  TINTRIX_GRAPHEME_BREAK_TEST="${TINTRIX_GRAPHEME_BREAK_TEST}")
tintrix_add_test(documentstamps_test LIBRARIES tintrix_commands)
tintrix_add_test(outputcommands_test LIBRARIES tintrix_commands)
tintrix_add_test(profile_test LIBRARIES tintrix_commands)
tintrix_add_test(settingsstore_test LIBRARIES tintrix_commands)
tintrix_add_test(fadefilecommands_test LIBRARIES tintrix_commands)
# The fades and the cut once more on their portable paths, which a processor with AVX2 would
# otherwise never take.
foreach(test formatwriter_test fadegenerator_test graphemes_test)
  gtest_discover_tests(${test} TEST_PREFIX "portable." PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TINTRIX_NO_AVX2=1" DISCOVERY_TIMEOUT 60)
endforeach()

tintrix_add_test(colorstage_test LIBRARIES tintrix_cli)
tintrix_add_test(fadetool_test LIBRARIES tintrix_cli)
tintrix_add_test(blockfade_test LIBRARIES tintrix_cli)
tintrix_add_test(markupformat_test LIBRARIES tintrix_cli)
tintrix_add_test(readjob_test LIBRARIES tintrix_cli)
tintrix_add_test(linereader_test LIBRARIES tintrix_cli)
tintrix_add_test(fadeoptions_test LIBRARIES tintrix_cli)
tintrix_add_test(motion_test LIBRARIES tintrix_cli)
# It holds the man page and the README to the option table, and runs tests/install/check.sh.
target_compile_definitions(fadeoptions_test PRIVATE TINTRIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
# The companion's tests run the real program too.
target_compile_definitions(fadetool_test PRIVATE TINTRIX_FADE_PROGRAM="$<TARGET_FILE:tintrix-fade>")
add_dependencies(fadetool_test tintrix-fade)
target_compile_definitions(motion_test PRIVATE TINTRIX_FADE_PROGRAM="$<TARGET_FILE:tintrix-fade>")
add_dependencies(motion_test tintrix-fade)

tintrix_add_test(mainwindow_test WIDGETS LIBRARIES tintrix_widgets)
tintrix_add_test(setcolors_test WIDGETS LIBRARIES tintrix_widgets)
tintrix_add_test(frmabout_test WIDGETS LIBRARIES tintrix_widgets)
tintrix_add_test(sysinfo_test WIDGETS LIBRARIES tintrix_widgets tintrix_platform_qt)
# Two screens side by side, the second lower, for placing windows on either.
tintrix_add_test(windowutils_test WIDGETS LIBRARIES tintrix_widgets
  PLATFORM offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/twoscreens.json)
tintrix_add_test(textentry_test WIDGETS LIBRARIES tintrix_widgets)
tintrix_add_test(fadepreview_test WIDGETS LIBRARIES tintrix_widgets)
# Needs an event loop, not a window.
tintrix_add_test(sessionend_test WIDGETS LIBRARIES tintrix_commands)
# Its tests give fontconfig a configuration of their own.
find_package(Fontconfig REQUIRED)
tintrix_add_test(qtdesktop_test WIDGETS LIBRARIES tintrix_platform_qt Fontconfig::Fontconfig)
