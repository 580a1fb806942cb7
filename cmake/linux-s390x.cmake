# Linux on s390x (IBM Z, big-endian), with Debian's g++-s390x-linux-gnu; the tests run under
# qemu-s390x-static.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(tob_triple s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
