# The packages `cpack` makes of the installed tree: a ZIP for Windows x64 (the
# binaries are linked statically and import system DLLs only, so nothing else
# need be installed) and a .deb for Debian 12, whose dependencies
# dpkg-shlibdeps reads from the binaries: the C and C++ run-time libraries,
# and Qt 6 Widgets for the dialog module.
set(CPACK_PACKAGE_NAME multiquellan)
set(CPACK_PACKAGE_VENDOR Kalmeno)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quellan 2 plug-in that multiplexes other Quellan plug-ins")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "MultiQuellan loads the Quellan 2 plug-ins named in its configuration file,"
  "runs each on a worker thread of its own, and shows a host one merged tree"
  "of their nodes and tags. It comes with quellan, a command-line host, and"
  "two simulated plants as sample children.")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${MQ_DEB_PREFIX})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kalmeno MultiQuellan developers <multiquellan@kalmeno.example>")
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The dialog module is the package's reason to depend on Qt: without it the
  # library could not be configured.
  if(NOT MQ_QT_DIALOG)
    message(STATUS "Qt 6 Widgets not found: a .deb made from this tree has no configuration dialog")
  endif()
endif()

include(CPack)
