# Cross-compiles for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix) and runs
# the programs it builds, the tests among them, under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable with no runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(BRIKMUX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRIKMUX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIKMUX_WINE})
endif()
