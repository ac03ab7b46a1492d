# The 32-bit pieces of the 64-bit Windows build: quellan-surrogate32.exe, which
# serves 32-bit children, the 32-bit SimQuellan libraries (SimQuellan32.dll
# and the two variants) that its tests load, and FaultGuardTest32.exe, the fault
# guard's tests for the 32-bit guard. A nested build of this same tree with
# the i686 toolchain (MQ_X86_PIECES) makes only those, straight into this
# build's bin folder; it compiles through the same launcher (ccache), and each
# build of this tree brings it up to date. This file holds both sides.

# The SimQuellan variants that the tests load as 32-bit children.
set(MQ_X86_SIMQUELLAN_VARIANTS SimQuellan SimQuellanNoEx SimQuellanNoSubNodeFetch)

if(MQ_X86_PIECES)
  add_subdirectory(samples/simquellan)
  add_subdirectory(tools/quellan-surrogate)
  set_target_properties(${MQ_SURROGATE_NAME} PROPERTIES OUTPUT_NAME ${MQ_SURROGATE32_NAME})
  foreach(variant ${MQ_X86_SIMQUELLAN_VARIANTS})
    set_target_properties(${variant} PROPERTIES SUFFIX ${MQ_X86_LIBRARY_SUFFIX})
  endforeach()
  if(MQ_X86_TESTS)
    set(MQ_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${MQ_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(support ${PROJECT_SOURCE_DIR}/tests/support)
    add_executable(FaultGuardTest32 ${PROJECT_SOURCE_DIR}/tests/platform/FaultGuardTest.cpp
      ${support}/TestEnvironment.cpp ${support}/${MQ_PLATFORM_DIR}/FaultEndings.cpp
      ${support}/${MQ_PLATFORM_DIR}/ProcessRunner.cpp)
    target_include_directories(FaultGuardTest32 PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(FaultGuardTest32 PRIVATE MQ_LIBRARY_SUFFIX="${MQ_LIBRARY_SUFFIX}")
    target_link_libraries(FaultGuardTest32 PRIVATE mq_platform GTest::gtest_main)
  endif()
  return()
endif()

option(MQ_X86_CHILDREN "Build the 32-bit surrogate for 32-bit children" ON)
if(NOT MQ_X86_CHILDREN)
  return()
endif()

include(ExternalProject)
set(MQ_X86_BINARY_DIR ${PROJECT_BINARY_DIR}/x86)
set(x86_arguments
  -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
  -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
  -DMQ_X86_PIECES=ON
  -DMQ_X86_OUTPUT_DIRECTORY=${PROJECT_BINARY_DIR}/bin
  -DMQ_X86_TESTS=${MQ_BUILD_TESTS})
foreach(language C CXX)
  if(CMAKE_${language}_COMPILER_LAUNCHER)
    list(APPEND x86_arguments -DCMAKE_${language}_COMPILER_LAUNCHER=${CMAKE_${language}_COMPILER_LAUNCHER})
  endif()
endforeach()

set(MQ_X86_PROGRAMS ${PROJECT_BINARY_DIR}/bin/${MQ_SURROGATE32_PROGRAM})
set(x86_targets ${MQ_SURROGATE_NAME} ${MQ_X86_SIMQUELLAN_VARIANTS})
if(MQ_BUILD_TESTS)
  list(APPEND x86_targets FaultGuardTest32)
  list(APPEND MQ_X86_PROGRAMS ${PROJECT_BINARY_DIR}/bin/FaultGuardTest32${CMAKE_EXECUTABLE_SUFFIX})
endif()
foreach(variant ${MQ_X86_SIMQUELLAN_VARIANTS})
  list(APPEND MQ_X86_PROGRAMS ${PROJECT_BINARY_DIR}/bin/${variant}${MQ_X86_LIBRARY_SUFFIX})
endforeach()

ExternalProject_Add(mq_x86_pieces
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${MQ_X86_BINARY_DIR}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS ${x86_arguments}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${MQ_X86_BINARY_DIR} --parallel 2 --target ${x86_targets}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${MQ_X86_PROGRAMS})
# The library starts the 32-bit surrogate from its own folder, as it does the other.
add_dependencies(MultiQuellan mq_x86_pieces)
add_dependencies(simquellan_all mq_x86_pieces)
