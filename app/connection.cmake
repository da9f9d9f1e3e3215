# Connection life (connect, probe, keep-alive, disconnect) and page switching.

# Plain C++ part: the connection controller and the page switcher.
add_library(tarvel_connection STATIC
  ConnectionLife.cpp
  PageSwitch.cpp
  PageLogicSet.cpp
)
target_include_directories(tarvel_connection PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_connection PUBLIC tarvel_frame_logic tarvel_shell_core tarvel_canadapter tarvel_uds tarvel_can_composition
  tarvel_eol_state tarvel_diagnosis_state tarvel_recorder_state
  tarvel_page_core tarvel_diagnosis_logic tarvel_eol_logic tarvel_report_logic tarvel_recorder_logic)
tarvel_warnings(tarvel_connection)
tarvel_logic_sources(tarvel_connection)

# The view's side of it lives in the program's shell library.
if(TARVEL_BUILD_GUI)
  target_sources(tarvel_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ConnectionLifeWx.cpp)
  target_link_libraries(tarvel_app PUBLIC tarvel_connection)
endif()
