# Release archives through CPack: the program, its licence and its user's documents, and
# nothing that only the tests use (the test stand-ins have no install rules). Each shipped
# target installs itself where it is defined.
#   Windows: padwright-<version>-win64.zip            (padwright.exe, LICENSE, the user guide)
#   Linux:   padwright-<version>-linux-x86_64.tar.gz  (padwright, the udev rule, the man page,
#                                                      LICENSE)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/USER-GUIDE.md DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images/ DESTINATION images
          FILES_MATCHING PATTERN "*.png")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Padwright developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updater for a handheld PC's built-in controller")
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/release)
# Reproducible listings: no empty folders, the archive's own top folder only.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The same bytes from the same sources (cmake/RepackArchive.cmake); on Windows the exe is
# signed first when a certificate is given (cmake/SignExe.cmake).
set(CPACK_PADWRIGHT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/RepackArchive.cmake)
if(WIN32)
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/SignExe.cmake)
endif()
include(CPack)
