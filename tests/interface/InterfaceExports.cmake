# The functions the library exports, as the interface header declares them:
# every quellan2_ function but the two sub-node functions, which are the
# children's alone. Included by the export checks.
function(interface_exports header result)
  file(READ ${header} text)
  string(REGEX MATCHALL "QUELLAN2_API [A-Za-z0-9_]+ QUELLAN2_CALL ([A-Za-z0-9_]+)\\(" declarations "${text}")
  set(names)
  foreach(declaration ${declarations})
    string(REGEX REPLACE ".* QUELLAN2_CALL ([A-Za-z0-9_]+)\\($" "\\1" name "${declaration}")
    if(NOT name MATCHES "^quellan2_nodeGet(NumNodes|Node)$")
      list(APPEND names ${name})
    endif()
  endforeach()
  set(${result} ${names} PARENT_SCOPE)
endfunction()
