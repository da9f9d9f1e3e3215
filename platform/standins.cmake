# Our stand-ins for the vendor CAN libraries. They route every channel onto
# the virtual CAN bus of sim/ and keep a call log that tests read.

# ControlCAN (the VCI_ functions) for the maker-branded adapters.
add_library(tarvel_controlcan_standin STATIC ControlCan.cpp)
target_include_directories(tarvel_controlcan_standin PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_controlcan_standin PUBLIC tarvel_can_records tarvel_sim_bus tarvel_platform)
tarvel_warnings(tarvel_controlcan_standin)

# Kvaser CANlib.
add_library(tarvel_canlib_standin STATIC CanLib.cpp)
target_include_directories(tarvel_canlib_standin PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_canlib_standin PUBLIC tarvel_sim_bus tarvel_platform)
tarvel_warnings(tarvel_canlib_standin)

# Run-time loading of optional libraries by name.
add_library(tarvel_dynlib STATIC VectorXlDynamicLibrary.cpp)
target_include_directories(tarvel_dynlib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_dynlib PUBLIC ${CMAKE_DL_LIBS})
tarvel_warnings(tarvel_dynlib)

# The Vector XL driver: a shared library of its own, named so that the
# program's load of "vxlapi" finds it beside the executable. Only the driver
# entry points and the stand-in controls are exported.
add_library(vxlapi SHARED VectorXlStandin.cpp)
target_include_directories(vxlapi PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vxlapi PRIVATE tarvel_sim_bus tarvel_platform)
set_target_properties(vxlapi PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_link_options(vxlapi PRIVATE "LINKER:--exclude-libs,ALL")
endif()
tarvel_warnings(vxlapi)
