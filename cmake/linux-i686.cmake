# Linux on 32-bit x86, with Debian's g++-i686-linux-gnu; an x86-64 kernel with 32-bit support
# runs its programs itself, given the 32-bit loader and C++ library (libc6-i386, lib32stdc++6),
# and qemu-i386-static runs them where the kernel has no such support.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(tob_triple i686-linux-gnu)
set(tob_qemu_machine i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
