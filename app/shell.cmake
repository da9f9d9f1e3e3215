# The application shell: start-up, main frame, ribbon, navigation, page host
# and shutdown of the program `tarvel`.

# Plain C++ part (no wx): the shell's globals, the navigation model, the page
# table, the window registry and the splash decisions.
add_library(tarvel_shell_core STATIC
  ShellGlobals.cpp
  NavigationModel.cpp
  WindowRegistry.cpp
  PageHostTable.cpp
  SplashLogic.cpp
)
target_include_directories(tarvel_shell_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_shell_core PUBLIC tarvel_platform tarvel_eol_state tarvel_diagnosis_state
  tarvel_report_state tarvel_recorder_state tarvel_settings tarvel_canadapter tarvel_uds tarvel_can_composition)
tarvel_warnings(tarvel_shell_core)
tarvel_logic_sources(tarvel_shell_core)

if(TARVEL_BUILD_GUI)
  # What every page builds on: the message event, the page base class and the
  # wx implementations of the platform interfaces.
  add_library(tarvel_shell_ui STATIC
    AppMessagesEvent.cpp
    PageHostPage.cpp
    WxPump.cpp
    WxPrompter.cpp
    WxFileChooser.cpp
    WxUiDispatcher.cpp
  )
  target_include_directories(tarvel_shell_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tarvel_shell_ui PUBLIC tarvel_shell_core tarvel_page_core tarvel_wx)
  tarvel_warnings(tarvel_shell_ui)

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
  target_link_libraries(tarvel_app PUBLIC tarvel_shell_ui tarvel_diagnosis_pages tarvel_eol_pages
    tarvel_report_pages tarvel_recorder_pages)
  target_link_libraries(tarvel_app PUBLIC tarvel_labels tarvel_settings_wx)
  tarvel_warnings(tarvel_app)

  add_executable(tarvel TarvelAppMain.cpp)
  target_link_libraries(tarvel PRIVATE tarvel_app)
  tarvel_warnings(tarvel)
  add_dependencies(tarvel tarvel_data)
endif()
