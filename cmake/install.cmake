# Install rules and the Debian package (cpack -G DEB from the build folder).
# Installed, the program finds its shipped files in ${CMAKE_INSTALL_DATADIR}/kestrova and keeps
# its workspace in the user's data folder (see src/core/project/workspace_location.h).
set(KESTROVA_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrova)

install(TARGETS kestrova-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The .xls reader of the spreadsheet import, started by the programs: <prefix>/libexec/kestrova.
install(TARGETS kestrova-xls-reader RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kestrova)
if(KESTROVA_BUILD_GUI)
  install(TARGETS kestrova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/kestrova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/kestrova.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/kestrova-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The data folder: the sample project and the MASTER folder for the firmware files shipped
# with the program (none in this package).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/sample_project DESTINATION ${KESTROVA_DATA_DESTINATION}/examples)
install(DIRECTORY DESTINATION ${KESTROVA_DATA_DESTINATION}/MASTER)

set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_CONTACT "Kestrova tool developers <kestrova-tool@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Describes a gateway project (bus settings, received and sent J1939 \
frames, send timers) and produces the configuration image, the GSD file and the serial update \
of the device. kestrova is the desktop program, kestrova-cli its command-line front end.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its display plugins at run time, so the libraries alone do not name them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
