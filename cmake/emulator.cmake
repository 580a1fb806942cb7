# Where the tests of a Linux cross-build run its programs: on this machine itself when its
# kernel runs them and holds them to their own resource limits (an x86-64 kernel with 32-bit
# support runs i686 programs), else under qemu-user. Found by trying a small program at configure
# time, since kernels of the same machine differ; TOB_EMULATE forces qemu.
# Exits 0 only where a limit on its address space refuses a larger block: qemu-user accepts the
# limit but does not apply it, and a kernel that cannot run the program gives no status at all.
try_compile(tob_probe_built
  SOURCE_FROM_CONTENT probe.cpp "#include <cstdlib>
#include <sys/resource.h>
int main() {
    const rlimit limit{rlim_t{256} << 20, rlim_t{256} << 20};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return 1;
    void* volatile block = std::malloc(std::size_t{512} << 20);
    return block == nullptr ? 0 : 1;
}"
  COPY_FILE "${CMAKE_BINARY_DIR}/native-probe/probe")
set(tob_probe_status "not built")
if(tob_probe_built AND NOT TOB_EMULATE)
  execute_process(COMMAND "${CMAKE_BINARY_DIR}/native-probe/probe" RESULT_VARIABLE tob_probe_status
    OUTPUT_QUIET ERROR_QUIET)
endif()
if(tob_probe_status STREQUAL "0")
  message(STATUS "tob-list tests: ${CMAKE_SYSTEM_PROCESSOR} programs run natively")
else()
  if(NOT TOB_QEMU)
    message(FATAL_ERROR "This machine cannot run ${CMAKE_SYSTEM_PROCESSOR} programs itself, and the tests need ${tob_qemu_name}: apt install qemu-user-static")
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TOB_QEMU}")
  message(STATUS "tob-list tests: ${CMAKE_SYSTEM_PROCESSOR} programs run under ${TOB_QEMU}")
endif()
# What runs the programs, empty for nothing: for scripts that run the built program themselves.
set(TOB_RUNNER "${CMAKE_CROSSCOMPILING_EMULATOR}" CACHE INTERNAL "")
