# A widget test program: Qt's offscreen platform (no screen), one shared
# main (vantix_widget_test_main, ui/), the skin of the build tree, and the
# same explicit char string conversions as the code under test.
#   vantix_widget_tests(NAME LIBRARIES lib... SOURCES file...)
function(vantix_widget_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBRARIES;SOURCES")
  find_package(GTest REQUIRED)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  include(GoogleTest)
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} vantix_widget_test_main Qt6::Test
                                        GTest::gtest vantix_qt_options)
  target_compile_definitions(${name} PRIVATE VANTIX_PROGRAM_DIR="${VANTIX_PROGRAM_DIR}")
  add_dependencies(${name} vantix_skin)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  )
endfunction()
