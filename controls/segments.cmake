# The segment display: character shapes and layout in plain C++, the control
# itself over wxWidgets.
if(NOT TARVEL_BUILD_GUI)
  return()
endif()
add_library(tarvel_segments STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DigiChar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Digistring.cpp
)
target_include_directories(tarvel_segments PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# Users of the control need the wx compile settings too, not only this folder.
target_link_libraries(tarvel_segments PUBLIC tarvel_wx)
tarvel_warnings(tarvel_segments)
