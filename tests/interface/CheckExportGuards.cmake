# Checks that every exported quellan2_ function ends in the export frame: after
# its argument checks it returns guardExport(...), or, for a thin non-Ex form,
# its Ex twin. The compiler cannot see a forgotten frame; this can.
cmake_policy(VERSION 3.16)

file(GLOB sources ${SOURCE_DIR}/interface/*Exports.cpp ${SOURCE_DIR}/data/*Exports.cpp
     ${SOURCE_DIR}/ui/ConfigurationEntryPoints.cpp)
set(defined)
set(unguarded)
foreach(source ${sources})
  file(READ ${source} text)
  # A semicolon would split the matches below as a list separator.
  string(REPLACE ";" "," text "${text}")
  # Each definition runs from its signature to the first closing brace at the start of a line.
  string(REGEX MATCHALL "\nQUELLAN2_STATUS QUELLAN2_CALL quellan2_[A-Za-z0-9_]+\\([^{]*\\{[^\n]*(\n([^}\n][^\n]*)?)*\n}" definitions "${text}")
  foreach(definition ${definitions})
    string(REGEX MATCH "quellan2_[A-Za-z0-9_]+" name "${definition}")
    list(APPEND defined ${name})
    if(NOT definition MATCHES "\n    return guardExport\\(" AND NOT definition MATCHES "\n    return ${name}Ex\\(")
      list(APPEND unguarded ${name})
    endif()
  endforeach()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/InterfaceExports.cmake)
interface_exports(${HEADER} declared)
set(missing)
foreach(name ${declared})
  # UpdateConfiguration, the configuration entry, returns no status to frame.
  if(name MATCHES "^quellan2_" AND NOT name IN_LIST defined)
    list(APPEND missing ${name})
  endif()
endforeach()

if(missing)
  message(FATAL_ERROR "exports not found in the export sources: ${missing}")
endif()
if(unguarded)
  message(FATAL_ERROR "exports that do not return through guardExport: ${unguarded}")
endif()
list(LENGTH defined count)
message(STATUS "${count} exports, each in the export frame")
