# Cross-building the 32-bit Windows pieces (the surrogate for 32-bit children) with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MQ_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
# Its programs run under wine, in the prefix of the 64-bit build that drives this one.
if(MQ_WINE_RUNNER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MQ_WINE_RUNNER})
endif()
