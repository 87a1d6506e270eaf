# 32-bit Windows programs (runs on every Windows, and under Wine's 32-bit side).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVANTA_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
