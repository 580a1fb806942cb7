# Cross-builds for Linux with Debian's cross compilers, included by the toolchain file of each
# machine after it sets tob_triple (the compiler's prefix), CMAKE_SYSTEM_PROCESSOR and, where
# qemu names the machine otherwise, tob_qemu_machine. Libraries come from Debian's multiarch
# packages (libgtest-dev:arm64, ...), which CMake finds under /usr/lib/<triple>. Whether the
# tests need qemu-user is found out when configuring (cmake/emulator.cmake).
set(CMAKE_SYSTEM_NAME Linux)
find_program(CMAKE_CXX_COMPILER NAMES ${tob_triple}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${tob_triple}-gcc) # for mimalloc built in
if(NOT tob_qemu_machine)
  set(tob_qemu_machine ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(tob_qemu_name qemu-${tob_qemu_machine}-static)
find_program(TOB_QEMU NAMES ${tob_qemu_name} qemu-${tob_qemu_machine})
