# What `cmake --install` lays out (the folders come from InstallLayout.cmake):
# the library and what it starts or loads beside itself (the configuration
# process's runner and dialog, the surrogates of isolated and 32-bit children), the quellan tool, the
# header, the README, an example configuration file, and the two demonstration plants as sample children
# (on Windows also a 32-bit one); on Linux quellan's manual page and bash completion (QuellanDocuments.cmake).
# Tests, benchmarks and fuzzers are not installed.

# A file that is no target of this build, installed (`kind` FILES or PROGRAMS)
# under `name` and stripped as installed targets are (install/strip, CPack),
# which copies are not.
function(mq_install_stripped kind file destination name)
  install(${kind} ${file} DESTINATION ${destination} RENAME ${name})
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${name}\")
  endif()")
endfunction()

# Hosts load the library by path; no import library is needed.
install(TARGETS MultiQuellan quellan
  RUNTIME DESTINATION ${MQ_INSTALL_BINDIR}
  LIBRARY DESTINATION ${MQ_INSTALL_LIBRARYDIR})
# The surrogate of isolated children goes where the library looks for it:
# beside itself.
if(WIN32)
  install(TARGETS ${MQ_SURROGATE_NAME} RUNTIME DESTINATION ${MQ_INSTALL_BINDIR})
  if(TARGET mq_x86_pieces)
    # The surrogate of 32-bit children, made by the nested 32-bit build.
    mq_install_stripped(PROGRAMS ${PROJECT_BINARY_DIR}/bin/${MQ_SURROGATE32_PROGRAM} ${MQ_INSTALL_BINDIR} ${MQ_SURROGATE32_PROGRAM})
  endif()
else()
  install(TARGETS quellan-rundll ${MQ_SURROGATE_NAME} RUNTIME DESTINATION ${MQ_INSTALL_LIBRARYDIR})
  if(MQ_QT_DIALOG)
    install(TARGETS MultiQuellanDialog LIBRARY DESTINATION ${MQ_INSTALL_LIBRARYDIR})
  endif()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/include/quellan2.h DESTINATION ${MQ_INSTALL_INCLUDEDIR})
if(WIN32)
  # A text file with Windows line ends, which every editor there shows right.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
  file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${readme}")
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION ${MQ_INSTALL_DOCDIR})
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${MQ_INSTALL_DOCDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/samples/configuration/${MQ_EXAMPLE_CONFIGURATION_NAME}
  DESTINATION ${MQ_INSTALL_EXAMPLESDIR})
include(${CMAKE_CURRENT_LIST_DIR}/QuellanDocuments.cmake)

# Each demonstration plant (a sidecar in samples/simquellan/demo) is a copy of
# SimQuellan under the plant's name with its sidecar beside it, as the demo
# sets them up. The installed sidecars keep no journal:
# the samples' folder is not the user's to write in, and a journal left there
# would outlive the package.
# Beside the 64-bit Windows plants, the utilities plant once more as a 32-bit
# library (Utilities32.dll), to try a child that quellan-surrogate32 serves.
file(GLOB MQ_DEMO_SIDECARS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/simquellan/demo/*.sim)
set(MQ_SAMPLE_PLANTS)
foreach(source ${MQ_DEMO_SIDECARS})
  get_filename_component(plant ${source} NAME_WE)
  list(APPEND MQ_SAMPLE_PLANTS "${plant}|${source}|$<TARGET_FILE:SimQuellan>")
  if(plant STREQUAL "Utilities" AND TARGET mq_x86_pieces)
    list(APPEND MQ_SAMPLE_PLANTS "${plant}32|${source}|${PROJECT_BINARY_DIR}/bin/SimQuellan${MQ_X86_LIBRARY_SUFFIX}")
  endif()
endforeach()
foreach(sample ${MQ_SAMPLE_PLANTS})
  string(REPLACE "|" ";" sample "${sample}")
  list(GET sample 0 plant)
  list(GET sample 1 source)
  list(GET sample 2 library)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} sidecar)
  string(REGEX REPLACE "(^|\n)journal [^\n]*" "" sidecar "${sidecar}")
  string(APPEND sidecar "journal off\n")
  file(WRITE ${PROJECT_BINARY_DIR}/samples/${plant}.sim "${sidecar}")
  mq_install_stripped(FILES ${library} ${MQ_INSTALL_SAMPLESDIR} ${plant}${MQ_LIBRARY_SUFFIX})
  install(FILES ${PROJECT_BINARY_DIR}/samples/${plant}.sim DESTINATION ${MQ_INSTALL_SAMPLESDIR})
endforeach()
