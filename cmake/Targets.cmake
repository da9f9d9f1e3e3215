# Warnings for our own targets: call tarvel_warnings(<target>).
function(tarvel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
endfunction()

# wxWidgets as one target: link tarvel_wx instead of repeating the
# wxWidgets_* variables. Created once wxWidgets has been found.
function(tarvel_define_wx_target)
  if(NOT TARGET tarvel_wx)
    add_library(tarvel_wx INTERFACE)
    target_include_directories(tarvel_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
    target_compile_definitions(tarvel_wx INTERFACE ${wxWidgets_DEFINITIONS})
    target_compile_options(tarvel_wx INTERFACE ${wxWidgets_CXX_FLAGS})
    target_link_libraries(tarvel_wx INTERFACE ${wxWidgets_LIBRARIES})
  endif()
endfunction()

# Marks a library as window-free logic: the wx-free check (a CTest test)
# fails when one of its sources, or a header beside them that they include,
# includes a wx header.
function(tarvel_logic_sources target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  foreach(source ${sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${dir}/${source})
    endif()
    set_property(GLOBAL APPEND PROPERTY TARVEL_LOGIC_SOURCES ${source})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY TARVEL_LOGIC_TARGETS ${target})
endfunction()

# A GoogleTest executable registered with CTest.
#   tarvel_test(<name> SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI] [SUPPORT])
# GUI tests need a display; the test script runs the whole suite under xvfb-run.
# SUPPORT links the shared test support (tests/support), whose main resets
# every program-wide global before each test.
function(tarvel_test name)
  cmake_parse_arguments(T "GUI;SUPPORT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # Tests stand above every layer, wherever their folder is (the link graph
  # files them under tests/).
  set_property(TARGET ${name} PROPERTY TARVEL_TEST ON)
  if(T_SUPPORT)
    target_link_libraries(${name} PRIVATE ${T_LIBS} tarvel_test_main tarvel_test_support GTest::gmock GTest::gtest
      Threads::Threads)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  endif()
  tarvel_warnings(${name})
  set(labels unit)
  if(T_GUI)
    set(labels gui)
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES LABELS ${labels} TIMEOUT 120)
endfunction()

# One folder of function pages, in four parts:
#   STATE      its program-wide globals, as tarvel_<name>_state;
#   LOGIC      the pages' window-free logic and state, as tarvel_<name>_logic
#              (checked to include no wx header);
#   PAGES      the pages' windows, as tarvel_<name>_pages (GUI builds only);
#   TESTS      logic tests on the page bench, one executable test_<name>_logic;
#   GUI_TESTS  tests of the pages in the running program, test_<name>_gui.
#   tarvel_page_folder(<name> STATE a.cpp LOGIC l.cpp l.h PAGES b.cpp TESTS t.cpp GUI_TESTS g.cpp)
function(tarvel_page_folder name)
  cmake_parse_arguments(P "" "" "STATE;LOGIC;PAGES;TESTS;GUI_TESTS" ${ARGN})
  if(P_STATE)
    add_library(tarvel_${name}_state STATIC ${P_STATE})
    target_include_directories(tarvel_${name}_state PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    tarvel_warnings(tarvel_${name}_state)
    tarvel_logic_sources(tarvel_${name}_state)
  else()
    add_library(tarvel_${name}_state INTERFACE)
    target_include_directories(tarvel_${name}_state INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
  endif()

  add_library(tarvel_${name}_logic STATIC ${P_LOGIC})
  target_include_directories(tarvel_${name}_logic PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tarvel_${name}_logic PUBLIC tarvel_${name}_state tarvel_page_core tarvel_uds)
  set_target_properties(tarvel_${name}_logic PROPERTIES LINKER_LANGUAGE CXX)
  tarvel_warnings(tarvel_${name}_logic)
  tarvel_logic_sources(tarvel_${name}_logic)

  if(TARVEL_BUILD_GUI)
    add_library(tarvel_${name}_pages STATIC ${P_PAGES})
    target_include_directories(tarvel_${name}_pages PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(tarvel_${name}_pages PUBLIC tarvel_${name}_logic tarvel_page_ui)
    tarvel_warnings(tarvel_${name}_pages)
  endif()

  if(TARVEL_BUILD_TESTS AND P_TESTS)
    tarvel_test(test_${name}_logic SOURCES ${P_TESTS} LIBS tarvel_${name}_logic tarvel_connection SUPPORT)
  endif()
  if(TARVEL_BUILD_TESTS AND TARVEL_BUILD_GUI AND P_GUI_TESTS)
    tarvel_test(test_${name}_gui SOURCES ${P_GUI_TESTS} LIBS tarvel_app SUPPORT GUI)
    add_dependencies(test_${name}_gui tarvel_data)
  endif()
endfunction()

# Tests of this folder that read pixels off the screen run alone: the GUI
# tests of a run share one display, and another test's window could lie over
# the spot they read. The names are those the GoogleTest discovery gives
# (Suite.Name); call this after the folder's tests are declared, so the
# properties are set once the tests exist.
#   tarvel_tests_run_alone(Suite.Name ...)
function(tarvel_tests_run_alone)
  if(NOT TARVEL_BUILD_TESTS OR NOT TARVEL_BUILD_GUI)
    return()
  endif()
  string(MD5 key "${CMAKE_CURRENT_SOURCE_DIR}")
  set(file ${CMAKE_CURRENT_BINARY_DIR}/run_alone_${key}.cmake)
  set(content "")
  foreach(name ${ARGN})
    string(APPEND content "set_tests_properties(\"${name}\" PROPERTIES RUN_SERIAL TRUE)\n")
  endforeach()
  file(WRITE ${file} "${content}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
