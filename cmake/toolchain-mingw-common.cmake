# What both Windows toolchains share; the including file sets TARNBOLT_MINGW_ARCH
# (i686 or x86_64). The win32 thread model: the posix model pulls in winpthreads,
# whose imports (GetTickCount64 and others) do not exist before Vista.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TARNBOLT_MINGW_ARCH})
set(_triple ${TARNBOLT_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No runtime DLLs: libgcc, libstdc++ and the thread support are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run")
