# The 32-bit pieces of the 64-bit Windows build: quellan-surrogate32.exe, which
# serves 32-bit children, and the 32-bit SimQuellan libraries (SimQuellan32.dll
# and the variants) that its tests load. A nested build of this same tree with
# the i686 toolchain (MQ_X86_PIECES) makes only those, straight into this
# build's bin folder; it compiles through the same launcher (ccache), and each
# build of this tree brings it up to date.
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
  -DMQ_X86_OUTPUT_DIRECTORY=${PROJECT_BINARY_DIR}/bin)
foreach(language C CXX)
  if(CMAKE_${language}_COMPILER_LAUNCHER)
    list(APPEND x86_arguments -DCMAKE_${language}_COMPILER_LAUNCHER=${CMAKE_${language}_COMPILER_LAUNCHER})
  endif()
endforeach()

set(MQ_X86_PROGRAMS ${PROJECT_BINARY_DIR}/bin/${MQ_SURROGATE32_PROGRAM})
foreach(variant ${SIMQUELLAN_VARIANTS})
  list(APPEND MQ_X86_PROGRAMS ${PROJECT_BINARY_DIR}/bin/${variant}${MQ_X86_LIBRARY_SUFFIX})
endforeach()

ExternalProject_Add(mq_x86_pieces
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${MQ_X86_BINARY_DIR}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS ${x86_arguments}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${MQ_X86_BINARY_DIR} --parallel 2 --target ${MQ_SURROGATE_NAME} simquellan_all
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${MQ_X86_PROGRAMS})
# The library starts the 32-bit surrogate from its own folder, as it does the other.
add_dependencies(MultiQuellan mq_x86_pieces)
add_dependencies(simquellan_all mq_x86_pieces)
