# The CAN adapter switch with its back-ends: ControlCAN and Kvaser CANlib
# (our stand-ins, linked), the Vector XL driver and Dravix (both loaded by
# name at run time).
add_library(tarvel_canadapter STATIC
  CanAdapterSwitch.cpp
  KvaserChannel.cpp
  VectorXlDriver.cpp
  DravixBinding.cpp
  AdapterSwitchPort.cpp
)
target_include_directories(tarvel_canadapter PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_canadapter PUBLIC
  tarvel_can_records tarvel_platform tarvel_sim_bus
  tarvel_controlcan_standin tarvel_canlib_standin tarvel_dynlib
  tarvel_uds) # the port sets the link's receive-trace type code
# The XL driver must sit beside the program for the load by name to find it.
add_dependencies(tarvel_canadapter vxlapi)
tarvel_warnings(tarvel_canadapter)
