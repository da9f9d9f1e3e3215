# The program's composition of its CAN surroundings: the adapter switch, the
# UDS client, the stand-in driver libraries and the simulated world meet here
# and nowhere below.
add_library(tarvel_can_composition STATIC CanComposition.cpp SimulatedStation.cpp)
target_include_directories(tarvel_can_composition PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The person at the simulated trailer knows the end-of-line pages' prompts.
target_link_libraries(tarvel_can_composition PUBLIC
  tarvel_canadapter tarvel_uds tarvel_settings tarvel_sim_ecu tarvel_sim_dravix tarvel_vendor_standins
  tarvel_eol_logic)
# The XL driver is loaded by name and must sit beside the program.
add_dependencies(tarvel_can_composition vxlapi)
tarvel_warnings(tarvel_can_composition)

# Hands the linked ControlCAN and CANlib stand-ins to the adapter switch as
# the drivers to use when the vendors' libraries are not installed. The unit
# is compiled into every program that links the composition, so its
# registration runs before main.
add_library(tarvel_standin_drivers INTERFACE)
target_sources(tarvel_standin_drivers INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/StandinDrivers.cpp)
target_link_libraries(tarvel_standin_drivers INTERFACE tarvel_canadapter tarvel_vendor_standins)
target_link_libraries(tarvel_can_composition PUBLIC tarvel_standin_drivers)
