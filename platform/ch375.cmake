# Our stand-in for the CH375 USB driver library. A shared library of its own,
# as the vendor's driver is: Dravix links it, and tests install simulated
# devices into the same instance Dravix talks to.
add_library(tarvel_ch375 SHARED ${CMAKE_CURRENT_LIST_DIR}/Ch375.cpp)
set_target_properties(tarvel_ch375 PROPERTIES
  OUTPUT_NAME ch375
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_compile_definitions(tarvel_ch375 PRIVATE CH375_BUILDING)
target_include_directories(tarvel_ch375 PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvel_ch375 PRIVATE Threads::Threads)
tarvel_warnings(tarvel_ch375)
