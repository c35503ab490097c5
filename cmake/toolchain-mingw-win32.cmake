# Cross-build for 32-bit Windows: the product.
set(TARNBOLT_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Windows 95 to NT 4 run on 486, Pentium and K6 processors, none of which has CMOV;
# the compiler's default (the Pentium Pro) would not start there. Our code is
# compiled for the 80486, and the libraries linked statically (libgcc, libstdc++,
# the MinGW-w64 start-up code) come from a build of their sources for it
# (scripts/lib/build-i486-libraries) that -B puts before the compiler's own.
set(TARNBOLT_MARCH i486)
if(DEFINED ENV{TARNBOLT_I486_LIBS})
  set(_libs "$ENV{TARNBOLT_I486_LIBS}")
elseif(DEFINED ENV{TARNBOLT_CACHE})
  set(_libs "$ENV{TARNBOLT_CACHE}/gcc-12.2.0-i486")
else()
  set(_libs "$ENV{HOME}/.cache/tarnbolt/gcc-12.2.0-i486")
endif()
if(NOT EXISTS "${_libs}/win32/libstdc++.a")
  message(FATAL_ERROR "No libraries for the 80486 in ${_libs}: run scripts/setup")
endif()
set(TARNBOLT_I486_LIBS "${_libs}")
set(CMAKE_C_FLAGS_INIT "-march=${TARNBOLT_MARCH} -B${_libs}/win32/")
set(CMAKE_CXX_FLAGS_INIT "-march=${TARNBOLT_MARCH} -B${_libs}/win32/")
# The linker's own script with the C++ exception tables in read-only data, not at
# the end of .text: no program holds bytes in its code that read as instructions
# a 486 lacks.
execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/pe-linker-script
                        ${_triple}-ld
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/i486-pe.x RESULT_VARIABLE _script_rc)
if(NOT _script_rc EQUAL 0)
  message(FATAL_ERROR "The linker's script could not be made (scripts/lib/pe-linker-script)")
endif()
# With the flags every link line takes once (a DLL's link takes two sets of linker
# flags); compiling ignores it.
string(APPEND CMAKE_C_FLAGS_INIT " -Wl,-T,${CMAKE_BINARY_DIR}/i486-pe.x")
string(APPEND CMAKE_CXX_FLAGS_INIT " -Wl,-T,${CMAKE_BINARY_DIR}/i486-pe.x")
