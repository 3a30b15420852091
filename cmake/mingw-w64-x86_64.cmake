# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, posix thread model (std::thread and
# std::mutex need it). LUMETRA_WINDOWS_PREFIX names the folder with Qt, libtiff and GoogleTest
# built for Windows (see scripts/build-windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Try-compiles read this file again; they must see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMETRA_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${LUMETRA_WINDOWS_PREFIX})
# Programs (moc, rcc) run on the build machine; everything linked comes from the roots only,
# so a Linux library can never be picked up by mistake.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
