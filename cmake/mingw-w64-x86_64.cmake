# Cross-building the Windows x64 DLL with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MQ_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
# Tests run under wine64, in a prefix of the build tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
