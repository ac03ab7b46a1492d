# Checks that Windows binaries import system DLLs only: everything else is
# linked in statically, so a copy of the files is all a machine needs.
#   -DBINARIES=a;b  -DLISTER=objdump

foreach(binary ${BINARIES})
  execute_process(COMMAND ${LISTER} -p ${binary} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${LISTER} failed on ${binary}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${listing}")
  # Every Windows binary imports at least KERNEL32: an empty list means the
  # listing was not what this check reads, not that the binary is clean.
  if(NOT imports)
    message(FATAL_ERROR "${LISTER} listed no imported DLL for ${binary}")
  endif()
  foreach(import ${imports})
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOUPPER "${dll}" dll)
    if(NOT dll MATCHES "^(KERNEL32|USER32|GDI32|SHELL32|COMCTL32|COMDLG32|ADVAPI32|OLE32|MSVCRT|API-MS-WIN-[A-Z0-9-]+)\\.DLL$")
      message(FATAL_ERROR "${binary} imports a DLL that is not part of the system: ${dll}")
    endif()
  endforeach()
  message(STATUS "${binary} imports system DLLs only")
endforeach()
