# The segment display: character shapes and layout in plain C++, the control
# itself over wxWidgets.
if(NOT TARVEL_BUILD_GUI)
  return()
endif()
include(${wxWidgets_USE_FILE})
add_library(tarvel_segments STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DigiChar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Digistring.cpp
)
target_include_directories(tarvel_segments PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# Users of the control need the wx compile settings too, not only this folder.
target_include_directories(tarvel_segments SYSTEM PUBLIC ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tarvel_segments PUBLIC ${wxWidgets_DEFINITIONS})
target_compile_options(tarvel_segments PUBLIC ${wxWidgets_CXX_FLAGS})
target_link_libraries(tarvel_segments PUBLIC ${wxWidgets_LIBRARIES})
tarvel_warnings(tarvel_segments)
