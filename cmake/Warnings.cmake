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
