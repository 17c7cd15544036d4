# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads), run
# under Wine.  The core alone and its contract tests:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVELMORA_CORE_ONLY=ON
# The whole program, against a Windows Qt (scripts/windows-qt), through Qt's
# own toolchain file, which chains to this one:
#   QT/bin/qt-cmake -S . -B build-windows -DQT_CHAINLOAD_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(CMAKE_STRIP x86_64-w64-mingw32-strip)
