# quellan's manual page and bash completion, which the built tool prints from
# its own command table (hidden words), so that they list what its help lists.
# A cross build cannot run its tool, and Windows has neither, so only a native
# Linux build makes them, and only its package installs them.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(MQ_GZIP gzip REQUIRED)
set(MQ_MAN_PAGE ${PROJECT_BINARY_DIR}/doc/quellan.1.gz)
set(MQ_BASH_COMPLETION ${PROJECT_BINARY_DIR}/doc/quellan.bash)
# The files the page points to, where the .deb puts them.
set(readme ${MQ_DEB_PREFIX}/${MQ_INSTALL_DOCDIR}/README.md)
set(example ${MQ_DEB_PREFIX}/${MQ_INSTALL_EXAMPLESDIR}/${MQ_EXAMPLE_CONFIGURATION_NAME})
add_custom_command(OUTPUT ${MQ_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
  COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:quellan> "-DARGUMENTS=--internal-man;${readme};${example}"
          -DOUTPUT=${MQ_MAN_PAGE} -DGZIP=${MQ_GZIP} -P ${PROJECT_SOURCE_DIR}/cmake/WriteDocument.cmake
  DEPENDS quellan ${PROJECT_SOURCE_DIR}/cmake/WriteDocument.cmake
  COMMENT "Writing quellan(1) from the tool's command table"
  VERBATIM)
add_custom_command(OUTPUT ${MQ_BASH_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
  COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:quellan> -DARGUMENTS=--internal-bash-completion
          -DOUTPUT=${MQ_BASH_COMPLETION} -P ${PROJECT_SOURCE_DIR}/cmake/WriteDocument.cmake
  DEPENDS quellan ${PROJECT_SOURCE_DIR}/cmake/WriteDocument.cmake
  COMMENT "Writing quellan's bash completion from the tool's command table"
  VERBATIM)
add_custom_target(quellan_documents ALL DEPENDS ${MQ_MAN_PAGE} ${MQ_BASH_COMPLETION})

install(FILES ${MQ_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash-completion loads it on demand by the command's name.
install(FILES ${MQ_BASH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
  RENAME quellan)
