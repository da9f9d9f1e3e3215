# The coloured label, the bitmap lamp, the texts that wrap to their page's
# width, the plain edit control, the connectors list and the columns of grids
# and lists that fit their width, over wxWidgets.
if(NOT TARVEL_BUILD_GUI)
  return()
endif()
add_library(tarvel_labels STATIC
  ${CMAKE_CURRENT_LIST_DIR}/NILike.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextWrap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListRowHeight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColumnFit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FittedColumns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConnectorsListCtrl.cpp
)
target_include_directories(tarvel_labels PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# The platform brings the program-folder lookup for the lamp pictures.
target_link_libraries(tarvel_labels PUBLIC tarvel_wx tarvel_platform)
tarvel_warnings(tarvel_labels)
