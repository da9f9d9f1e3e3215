# ISO-TP transport, the UDS request engine and the service calls. Talks to
# the adapter only through tarvel::CanPort; the program installs its port.
set(_uds_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(tarvel_uds STATIC
  ${_uds_dir}/IsoTpLink.cpp
  ${_uds_dir}/DelayPumping.cpp
  ${_uds_dir}/EcuRestart.cpp
  ${_uds_dir}/UdsEngine.cpp
  ${_uds_dir}/UdsNegativeResponse.cpp
  ${_uds_dir}/UdsServices.cpp
)
target_include_directories(tarvel_uds PUBLIC ${_uds_dir})
target_link_libraries(tarvel_uds PUBLIC tarvel_can_records tarvel_security_key tarvel_platform)
tarvel_warnings(tarvel_uds)
