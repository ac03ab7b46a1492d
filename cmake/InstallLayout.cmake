# Where `cmake --install` puts each kind of file. Windows users get one flat
# folder (quellan.exe finds MultiQuellan.dll beside it); Linux gets the GNU
# layout, with the library, its configuration runner and its dialog module in
# one private folder, since the library starts the runner and loads the module
# from its own folder and from nowhere else.
include(GNUInstallDirs)

if(WIN32)
  set(MQ_INSTALL_BINDIR .)
  set(MQ_INSTALL_LIBRARYDIR .)
  set(MQ_INSTALL_SAMPLESDIR samples)
  set(MQ_INSTALL_INCLUDEDIR include)
  set(MQ_INSTALL_DOCDIR .)
else()
  set(MQ_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(MQ_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/quellan)
  # The sample children are binaries, so they go under lib, not share.
  set(MQ_INSTALL_SAMPLESDIR ${MQ_INSTALL_LIBRARYDIR}/samples)
  set(MQ_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  # Named after the package, as Debian has it.
  set(MQ_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/multiquellan)
endif()

# The example configuration file, every attribute explained, goes with the documentation.
set(MQ_INSTALL_EXAMPLESDIR ${MQ_INSTALL_DOCDIR}/examples)
set(MQ_EXAMPLE_CONFIGURATION_NAME MultiQuellanConfiguration.example.xml)
# Where the .deb installs (CPack's CPACK_PACKAGING_INSTALL_PREFIX), for the
# files whose text names installed paths.
set(MQ_DEB_PREFIX /usr)

# The library folder as seen from the tool's folder ("" when they are one),
# ending in a separator.
file(RELATIVE_PATH MQ_INSTALL_BIN_TO_LIBRARY ${CMAKE_INSTALL_PREFIX}/${MQ_INSTALL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${MQ_INSTALL_LIBRARYDIR})
if(MQ_INSTALL_BIN_TO_LIBRARY)
  string(APPEND MQ_INSTALL_BIN_TO_LIBRARY /)
endif()
