# Compares the names a built library exports with the interface header.

include(${CMAKE_CURRENT_LIST_DIR}/InterfaceExports.cmake)
interface_exports(${HEADER} expected)
list(SORT expected)
list(LENGTH expected expectedCount)
if(NOT expectedCount EQUAL 38)
  message(FATAL_ERROR "the header declares ${expectedCount} exports, not 38: ${expected}")
endif()

# Each platform's lister prints one row per export; the row's pattern, and
# what comes before the name in it.
if(WINDOWS)
  execute_process(COMMAND ${LISTER} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  # The export table runs from its heading to the next blank line.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n[^\n]+(\n[^\n]+)*" listing "${listing}")
  set(before "\\[ *[0-9]+\\] ")
  set(row "${before}[A-Za-z0-9_@]+")
else()
  execute_process(COMMAND ${LISTER} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  set(before "^[0-9a-fA-F]+ [A-Za-z] ")
  set(row "[0-9a-fA-F]+ [A-Za-z] [^\n]+")
endif()
string(REGEX MATCHALL "${row}" rows "${listing}")
set(exported)
foreach(entry ${rows})
  string(REGEX REPLACE "${before}" "" name "${entry}")
  list(APPEND exported ${name})
endforeach()
if(failed)
  message(FATAL_ERROR "${LISTER} failed on ${LIBRARY}")
endif()

list(SORT exported)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports\n  ${exported}\ninstead of\n  ${expected}")
endif()
message(STATUS "${LIBRARY} exports exactly the ${expectedCount} interface functions")
