# The simulated Dravix adapter, installed into our CH375 driver stand-in at a
# device index. Static: it must run in the module that owns the simulated
# world (the program or the test), so its bus is the one the ECU sits on.
add_library(tarvel_sim_dravix STATIC ${CMAKE_CURRENT_LIST_DIR}/SimDravixDevice.cpp)
target_include_directories(tarvel_sim_dravix PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvel_sim_dravix PUBLIC tarvel_sim_bus tarvel_ch375 PRIVATE dravix_protocol)
tarvel_warnings(tarvel_sim_dravix)
