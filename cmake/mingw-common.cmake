# What the MinGW-w64 toolchain files share; each sets KOVA_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model gives the tests std::thread;
# everything is linked statically, so the programs need no DLL beyond Windows' own.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KOVA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KOVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
