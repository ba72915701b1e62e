# Cross build for 64-bit Windows (x86-64) with MinGW-w64 (Debian's g++-mingw-w64-x86-64).
# Pointers are 64 bits there while LONG stays 32 (LLP64), so this build finds what the
# 32-bit one cannot: a pointer kept in a LONG, a handle cut to 32 bits.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOVA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
