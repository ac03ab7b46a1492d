# Script mode: runs the tool with a hidden word and keeps what it prints, gzipped
# for a manual page as Debian keeps them (-9, no name or time stamp inside).
#   cmake -DTOOL=<quellan> "-DARGUMENTS=<word;...>" -DOUTPUT=<file> [-DGZIP=<gzip>] -P WriteDocument.cmake
execute_process(COMMAND ${TOOL} ${ARGUMENTS} OUTPUT_FILE ${OUTPUT}.new RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "${TOOL} ${ARGUMENTS} failed: ${result}")
endif()
if(GZIP)
  execute_process(COMMAND ${GZIP} -9nf ${OUTPUT}.new RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${GZIP} failed on ${OUTPUT}.new: ${result}")
  endif()
  file(RENAME ${OUTPUT}.new.gz ${OUTPUT})
else()
  file(RENAME ${OUTPUT}.new ${OUTPUT})
endif()
