# Cross-build for 64-bit Windows with Debian's mingw-w64, POSIX thread model (std::thread and
# std::mutex work), and Debian's host Qt tools (moc, rcc, uic). Used to build the Qt for Windows
# itself (scripts/build-qt-windows.sh) and then the program against it: that Qt's prefix comes
# from ONDREL_WINDOWS_QT (CMake variable, or the environment variable the Windows scripts set).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT ONDREL_WINDOWS_QT AND DEFINED ENV{ONDREL_WINDOWS_QT})
    set(ONDREL_WINDOWS_QT "$ENV{ONDREL_WINDOWS_QT}" CACHE PATH "Qt for Windows (scripts/build-qt-windows.sh)")
endif()
# try_compile projects read this file again without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ONDREL_WINDOWS_QT)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(ONDREL_WINDOWS_QT)
    list(APPEND CMAKE_FIND_ROOT_PATH "${ONDREL_WINDOWS_QT}")
    list(APPEND CMAKE_PREFIX_PATH "${ONDREL_WINDOWS_QT}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's build-time tools run on this machine: Debian's qt6-base-dev-tools, of the same version.
if(NOT DEFINED QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
endif()
if(NOT DEFINED QT_HOST_PATH_CMAKE_DIR)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# The mingw runtime DLLs a program built here needs next to it (or on WINEPATH) to start.
set(MINGW_RUNTIME_DLLS
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
