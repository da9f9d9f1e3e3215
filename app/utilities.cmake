# The utilities: word-processor automation and the file cipher (plain C++).
add_library(tarvel_utilities STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Md5.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Rc4.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileCipher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordAutomation.cpp
)
target_include_directories(tarvel_utilities PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvel_utilities PUBLIC tarvel_platform)
tarvel_warnings(tarvel_utilities)
