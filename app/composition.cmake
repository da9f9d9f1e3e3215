# The program's composition of its CAN surroundings: the adapter switch, the
# UDS client, the stand-in driver libraries and the simulated world meet here
# and nowhere below.
add_library(tarvel_can_composition STATIC CanComposition.cpp)
target_include_directories(tarvel_can_composition PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarvel_can_composition PUBLIC
  tarvel_canadapter tarvel_uds tarvel_settings tarvel_sim_ecu tarvel_sim_dravix tarvel_vendor_standins)
# The XL driver is loaded by name and must sit beside the program.
add_dependencies(tarvel_can_composition vxlapi)
tarvel_warnings(tarvel_can_composition)
