# What both mingw-w64 toolchain files share, once they have set
# CMAKE_SYSTEM_PROCESSOR and MQ_MINGW_PREFIX: the posix thread model's
# compilers (for std::thread and std::mutex) and the target's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
