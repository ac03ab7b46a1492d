# Draws the toolbar bitmap again and compares it with the committed one.
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED} RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "${COMMITTED} is not what ${GENERATOR} draws; run it again")
endif()
