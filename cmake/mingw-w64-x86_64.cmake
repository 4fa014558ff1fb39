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

# Qt for Windows, as scripts/build-qt-windows builds it: BRIKMUX_QT_WINDOWS names its prefix, or
# the cache's link to the newest one is used. Its tools (moc, rcc) are the build machine's.
if(NOT BRIKMUX_BUILDING_QT)
    if(DEFINED ENV{BRIKMUX_QT_WINDOWS} AND NOT "$ENV{BRIKMUX_QT_WINDOWS}" STREQUAL "")
        set(brikmux_qt "$ENV{BRIKMUX_QT_WINDOWS}")
    elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(brikmux_qt "$ENV{XDG_CACHE_HOME}/brikmux/qt-windows-x64")
    else()
        set(brikmux_qt "$ENV{HOME}/.cache/brikmux/qt-windows-x64")
    endif()
    if(EXISTS "${brikmux_qt}/lib/cmake/Qt6")
        file(REAL_PATH "${brikmux_qt}" brikmux_qt)
        list(APPEND CMAKE_FIND_ROOT_PATH "${brikmux_qt}")
        list(APPEND CMAKE_PREFIX_PATH "${brikmux_qt}")
        set(QT_HOST_PATH /usr)
        set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
    endif()
endif()

# libzip for Windows, as scripts/build-libzip-windows builds it: BRIKMUX_LIBZIP_WINDOWS names its
# prefix, or the cache's link to the newest one is used.
if(NOT BRIKMUX_BUILDING_QT)
    if(DEFINED ENV{BRIKMUX_LIBZIP_WINDOWS} AND NOT "$ENV{BRIKMUX_LIBZIP_WINDOWS}" STREQUAL "")
        set(brikmux_libzip "$ENV{BRIKMUX_LIBZIP_WINDOWS}")
    elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(brikmux_libzip "$ENV{XDG_CACHE_HOME}/brikmux/libzip-windows-x64")
    else()
        set(brikmux_libzip "$ENV{HOME}/.cache/brikmux/libzip-windows-x64")
    endif()
    if(EXISTS "${brikmux_libzip}/lib/cmake/libzip")
        file(REAL_PATH "${brikmux_libzip}" brikmux_libzip)
        list(APPEND CMAKE_FIND_ROOT_PATH "${brikmux_libzip}")
        list(APPEND CMAKE_PREFIX_PATH "${brikmux_libzip}")
    endif()
endif()
