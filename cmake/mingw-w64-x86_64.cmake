# Cross-building the Windows x64 DLL with mingw-w64 (posix thread model, for std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under wine64, in a prefix of the build tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
