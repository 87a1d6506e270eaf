# Read by cpack for each package it makes: the installer is the one called "-setup".
if(CPACK_GENERATOR STREQUAL "NSIS")
  string(APPEND CPACK_PACKAGE_FILE_NAME "-setup")
endif()
