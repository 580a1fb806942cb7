# Cross-builds tob-list.exe for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix).
# Used by the `windows` preset: cmake --preset windows && cmake --build --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tob_mingw x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${tob_mingw}-g++-posix ${tob_mingw}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${tob_mingw}-gcc-posix ${tob_mingw}-gcc) # for mimalloc built in
set(CMAKE_RC_COMPILER ${tob_mingw}-windres)

# Headers and libraries come from the MinGW-w64 tree only, programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${tob_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
