# The CAN adapter switch with its back-ends: ControlCAN and Kvaser CANlib
# (the vendors' libraries loaded by name, else the linked stand-ins), the
# Vector XL driver and Dravix (both loaded by name at run time). It compiles
# against the vendors' interfaces only and links no stand-in.
add_library(tarvel_canadapter STATIC
  CanAdapterSwitch.cpp
  CanDriverLibraries.cpp
  KvaserChannel.cpp
  VectorXlDriver.cpp
  DravixBinding.cpp
  AdapterSwitchPort.cpp
)
target_include_directories(tarvel_canadapter PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_canadapter PUBLIC tarvel_can_records tarvel_platform tarvel_vendor_api tarvel_dynlib)
tarvel_warnings(tarvel_canadapter)
