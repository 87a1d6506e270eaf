# Cross-building for Windows with Debian's mingw-w64 compilers, included by the toolchain file of
# each target, which sets KORVANTA_MINGW_TARGET (e.g. i686-w64-mingw32) first.
# The -posix compilers: the plain ones have no std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KORVANTA_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVANTA_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVANTA_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVANTA_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and the threads library are linked in, so the programs import only Windows'
# own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the .exe files under Wine (in the WINEPREFIX of the environment).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
