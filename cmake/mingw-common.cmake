# What the MinGW-w64 toolchain files share; each sets KOVA_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. Everything is linked statically, so the programs need no
# DLL beyond Windows' own.
set(CMAKE_SYSTEM_NAME Windows)

# The compilers' thread model: posix gives the tests std::thread; the shipped programs are
# built with win32 (cmake/KovaShipped.cmake), whose exception run time needs no winpthreads.
set(KOVA_MINGW_THREADS posix CACHE STRING "Thread model of the MinGW-w64 compilers (posix or win32)")
set(CMAKE_C_COMPILER ${KOVA_MINGW_TRIPLET}-gcc-${KOVA_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${KOVA_MINGW_TRIPLET}-g++-${KOVA_MINGW_THREADS})
# The archivers that understand link-time optimisation's objects, of the same compilers.
set(CMAKE_CXX_COMPILER_AR ${KOVA_MINGW_TRIPLET}-gcc-ar-${KOVA_MINGW_THREADS} CACHE FILEPATH "")
set(CMAKE_CXX_COMPILER_RANLIB ${KOVA_MINGW_TRIPLET}-gcc-ranlib-${KOVA_MINGW_THREADS} CACHE FILEPATH "")
set(CMAKE_RC_COMPILER ${KOVA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KOVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
