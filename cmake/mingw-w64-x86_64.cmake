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

find_program(BRIKMUX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRIKMUX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIKMUX_WINE})
endif()

# Qt for Windows and libzip for Windows, as scripts/build-qt-windows and build-libzip-windows
# build them: BRIKMUX_QT_WINDOWS and BRIKMUX_LIBZIP_WINDOWS name their prefixes, or the cache's
# link to the newest of each is used. Qt's tools (moc, rcc) are the build machine's.
macro(brikmux_use_cached variable link marker)
    if(DEFINED ENV{${variable}} AND NOT "$ENV{${variable}}" STREQUAL "")
        set(brikmux_prefix "$ENV{${variable}}")
    elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(brikmux_prefix "$ENV{XDG_CACHE_HOME}/brikmux/${link}")
    else()
        set(brikmux_prefix "$ENV{HOME}/.cache/brikmux/${link}")
    endif()
    if(EXISTS "${brikmux_prefix}/${marker}")
        file(REAL_PATH "${brikmux_prefix}" brikmux_prefix)
        list(APPEND CMAKE_FIND_ROOT_PATH "${brikmux_prefix}")
        list(APPEND CMAKE_PREFIX_PATH "${brikmux_prefix}")
    endif()
endmacro()

if(NOT BRIKMUX_BUILDING_QT)
    brikmux_use_cached(BRIKMUX_QT_WINDOWS qt-windows-x64 lib/cmake/Qt6)
    brikmux_use_cached(BRIKMUX_LIBZIP_WINDOWS libzip-windows-x64 lib/cmake/libzip)
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
