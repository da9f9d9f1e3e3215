# The coloured label, the bitmap lamp, the plain edit control and the
# connectors list, over wxWidgets.
if(NOT TARVEL_BUILD_GUI)
  return()
endif()
add_library(tarvel_labels STATIC
  ${CMAKE_CURRENT_LIST_DIR}/NILike.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConnectorsListCtrl.cpp
)
target_include_directories(tarvel_labels PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# Users of the controls need the wx compile settings too.
target_include_directories(tarvel_labels SYSTEM PUBLIC ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tarvel_labels PUBLIC ${wxWidgets_DEFINITIONS})
target_compile_options(tarvel_labels PUBLIC ${wxWidgets_CXX_FLAGS})
# tarvel_settings brings the program-folder lookup for the lamp pictures; it
# is defined later (app/), which target_link_libraries allows.
target_link_libraries(tarvel_labels PUBLIC ${wxWidgets_LIBRARIES} tarvel_settings)
tarvel_warnings(tarvel_labels)
