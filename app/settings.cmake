# Settings files, XML helpers, text converters and the language table: plain
# C++ (no wx in the interfaces), with the platform pieces they need.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(TINYXML QUIET tinyxml)
endif()
find_path(TINYXML_HEADER_DIR tinyxml.h HINTS ${TINYXML_INCLUDE_DIRS})
find_library(TINYXML_LIBRARY NAMES tinyxml HINTS ${TINYXML_LIBRARY_DIRS})
if(NOT TINYXML_HEADER_DIR OR NOT TINYXML_LIBRARY)
  message(FATAL_ERROR "TinyXML (tinyxml.h, libtinyxml) not found")
endif()

set(TARVEL_APP_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(TARVEL_PLATFORM_DIR ${CMAKE_CURRENT_LIST_DIR}/../platform ABSOLUTE)
add_library(tarvel_settings STATIC
  ${TARVEL_PLATFORM_DIR}/TextCodec.cpp
  ${TARVEL_PLATFORM_DIR}/ProgramPaths.cpp
  ${TARVEL_PLATFORM_DIR}/Restarter.cpp
  ${TARVEL_APP_DIR}/XmlHelpers.cpp
  ${TARVEL_APP_DIR}/SettingsFiles.cpp
  ${TARVEL_APP_DIR}/LanguageTable.cpp
  ${TARVEL_APP_DIR}/LanguageChange.cpp
)
target_include_directories(tarvel_settings PUBLIC
  ${TARVEL_APP_DIR} ${TARVEL_PLATFORM_DIR} ${TINYXML_HEADER_DIR})
# Debian's tinyxml.h defines TIXML_USE_STL itself and the library is built
# with it; define it for every user too so no translation unit sees the other
# class layout.
target_compile_definitions(tarvel_settings PUBLIC TIXML_USE_STL)
target_link_libraries(tarvel_settings PUBLIC tarvel_platform ${TINYXML_LIBRARY})
if(NOT WIN32)
  # iconv lives in the C library on glibc; elsewhere find it.
  find_package(Iconv QUIET)
  if(Iconv_FOUND AND NOT Iconv_IS_BUILT_IN)
    target_link_libraries(tarvel_settings PRIVATE Iconv::Iconv)
  endif()
endif()
tarvel_warnings(tarvel_settings)

# The GUI's restarter (wxExecute of the running executable, then an orderly
# close of the main window).
if(TARVEL_BUILD_GUI)
  add_library(tarvel_settings_wx STATIC ${TARVEL_PLATFORM_DIR}/RestarterWx.cpp)
  target_include_directories(tarvel_settings_wx PUBLIC ${TARVEL_PLATFORM_DIR})
  target_link_libraries(tarvel_settings_wx PUBLIC tarvel_settings tarvel_wx)
  tarvel_warnings(tarvel_settings_wx)
endif()
