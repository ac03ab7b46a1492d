# Checks that the built binaries carry the platform's exploit mitigations:
# on Windows ASLR with high entropy and no-execute data, on Linux stack
# canaries, read-only relocations bound at load and, in optimised builds,
# the checked forms of the C library's buffer functions.
#   -DBINARIES=a;b  -DWINDOWS=ON|OFF  -DLISTER=objdump|readelf  -DOPTIMISED=ON|OFF

function(require listing pattern binary what)
  if(NOT listing MATCHES "${pattern}")
    message(FATAL_ERROR "${binary} lacks ${what}")
  endif()
endfunction()

if(WINDOWS)
  set(listingOptions -p)
else()
  set(listingOptions -W --program-headers --dynamic --dyn-syms)
endif()

foreach(binary ${BINARIES})
  execute_process(COMMAND ${LISTER} ${listingOptions} ${binary} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${LISTER} failed on ${binary}")
  endif()
  if(WINDOWS)
    require("${listing}" "\n[ \t]*DYNAMIC_BASE" ${binary} "address-space layout randomisation (DYNAMIC_BASE)")
    require("${listing}" "\n[ \t]*HIGH_ENTROPY_VA" ${binary} "high-entropy ASLR (HIGH_ENTROPY_VA)")
    require("${listing}" "\n[ \t]*NX_COMPAT" ${binary} "no-execute data (NX_COMPAT)")
    require("${listing}" "\\.reloc" ${binary} "a relocation section, without which it cannot be moved")
  else()
    require("${listing}" "GNU_RELRO" ${binary} "read-only relocations (-z relro)")
    require("${listing}" "\\(FLAGS\\)[^\n]*BIND_NOW|\\(BIND_NOW\\)" ${binary} "immediate binding (-z now)")
    require("${listing}" "UND __stack_chk_fail" ${binary} "stack canaries (-fstack-protector-strong)")
    if(OPTIMISED)
      require("${listing}" "UND __[a-z]+_chk" ${binary} "checked C library calls (_FORTIFY_SOURCE)")
    endif()
  endif()
  message(STATUS "${binary} carries the platform's exploit mitigations")
endforeach()
