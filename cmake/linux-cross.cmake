# Cross-builds for Linux with Debian's cross compilers, included by the toolchain file of each
# machine after it sets tob_triple (the compiler's prefix) and CMAKE_SYSTEM_PROCESSOR. Libraries
# come from Debian's multiarch packages (libgtest-dev:arm64, ...), which CMake finds under
# /usr/lib/<triple>. The tests run the programs under qemu-user unless this machine runs them
# itself, as an x86-64 Linux runs i686 programs: set tob_native then.
set(CMAKE_SYSTEM_NAME Linux)
find_program(CMAKE_CXX_COMPILER NAMES ${tob_triple}-g++ REQUIRED)
if(NOT tob_native)
  find_program(tob_qemu NAMES qemu-${CMAKE_SYSTEM_PROCESSOR}-static qemu-${CMAKE_SYSTEM_PROCESSOR} REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${tob_qemu})
endif()
