# The simulated ECU: ISO-TP server and UDS server on the virtual CAN bus.
add_library(tarvel_sim_ecu STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IsoTpServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimEcu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimEcuData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimBootLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimEcuProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimEcuRecorderData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimEcuBuiltIn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimTrailer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimTrailerData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimOperator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimStationOperator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimTrailerFaults.cpp
)
target_include_directories(tarvel_sim_ecu PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvel_sim_ecu PUBLIC tarvel_sim_bus tarvel_platform tarvel_security_key)
tarvel_warnings(tarvel_sim_ecu)
