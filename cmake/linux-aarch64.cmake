# Linux on 64-bit ARM (64-bit Raspberry Pi OS, ARM laptops and servers), with Debian's
# g++-aarch64-linux-gnu; the tests run under qemu-aarch64-static.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(tob_triple aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
