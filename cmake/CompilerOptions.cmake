# Warnings, sanitizers and the link options that every plug-in of this project shares.

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(MQ_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "Sanitizers are available on the native build only")
  endif()
  add_compile_options(-fsanitize=${MQ_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${MQ_SANITIZE})
endif()

if(WIN32)
  # One self-contained DLL per plug-in: it imports system DLLs only.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Address-space layout randomisation (with 64-bit entropy where the image
  # is 64-bit) and no-execute data: binutils sets them by default today, and
  # they stay set if it stops.
  add_link_options(-Wl,--dynamicbase,--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
else()
  # The library runs inside other people's processes, some of them privileged:
  # canaries on every function with a local array, checked libc calls where the
  # optimiser knows the buffer sizes, and relocations made read-only at load.
  add_compile_options(-fstack-protector-strong)
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro,-z,now)
  find_package(Threads REQUIRED)
  link_libraries(Threads::Threads ${CMAKE_DL_LIBS})
endif()

# A plug-in binds its own calls to its own functions, even when a host has made
# another plug-in's functions of the same names visible globally.
function(mq_plugin_link_options target)
  if(NOT WIN32)
    target_link_options(${target} PRIVATE -Wl,-Bsymbolic)
    if(NOT MQ_SANITIZE)
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
endfunction()
