# The program's window-free logic: what the navigation tree shows and what a
# click does, and the splash decisions.
add_library(tarvel_frame_logic STATIC
  NavigationModel.cpp
  SplashLogic.cpp
)
target_include_directories(tarvel_frame_logic PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_frame_logic PUBLIC tarvel_shell_core tarvel_eol_state tarvel_diagnosis_state
  tarvel_report_state tarvel_recorder_state)
tarvel_warnings(tarvel_frame_logic)
tarvel_logic_sources(tarvel_frame_logic)

if(TARVEL_BUILD_GUI)
  # The frame, view, navigation, page host and application object.
  add_library(tarvel_app STATIC
    PageHost.cpp
    Navigation.cpp
    Ribbon.cpp
    MainFrame.cpp
    TarvelDoc.cpp
    TarvelView.cpp
    Splash.cpp
    ProgramIcon.cpp
    TarvelApp.cpp
  )
  target_include_directories(tarvel_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tarvel_app PUBLIC tarvel_frame_logic tarvel_page_ui tarvel_diagnosis_pages tarvel_eol_pages
    tarvel_report_pages tarvel_recorder_pages)
  target_link_libraries(tarvel_app PUBLIC tarvel_labels tarvel_settings_wx)
  tarvel_warnings(tarvel_app)

  add_executable(tarvel TarvelAppMain.cpp)
  target_link_libraries(tarvel PRIVATE tarvel_app)
  tarvel_warnings(tarvel)
  add_dependencies(tarvel tarvel_data)
endif()
