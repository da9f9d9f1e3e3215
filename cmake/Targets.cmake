# Warnings for our own targets: call tarvel_warnings(<target>).
function(tarvel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
endfunction()

# A GoogleTest executable registered with CTest.
#   tarvel_test(<name> SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI])
# GUI tests need a display; the test script runs the whole suite under xvfb-run.
function(tarvel_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  tarvel_warnings(${name})
  set(labels unit)
  if(T_GUI)
    set(labels gui)
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES LABELS ${labels} TIMEOUT 120)
endfunction()

# One folder of function pages: its program-wide state as a plain library
# tarvel_<name>_state (logic and headless tests use it without windows) and,
# in a GUI build, the pages themselves as tarvel_<name>_pages.
#   tarvel_page_folder(<name> STATE a.cpp PAGES b.cpp c.cpp)
function(tarvel_page_folder name)
  cmake_parse_arguments(P "" "" "STATE;PAGES" ${ARGN})
  add_library(tarvel_${name}_state STATIC ${P_STATE})
  target_include_directories(tarvel_${name}_state PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  tarvel_warnings(tarvel_${name}_state)
  if(TARVEL_BUILD_GUI)
    add_library(tarvel_${name}_pages STATIC ${P_PAGES})
    target_include_directories(tarvel_${name}_pages PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(tarvel_${name}_pages PUBLIC tarvel_${name}_state tarvel_shell_ui)
    tarvel_warnings(tarvel_${name}_pages)
  endif()
endfunction()
