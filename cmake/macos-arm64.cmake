# macOS on Apple silicon, cross-built with zig; the program is signed ad hoc by zig's linker, as
# an Apple silicon Mac runs nothing unsigned.
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(tob_zig_target aarch64-macos)
include(${CMAKE_CURRENT_LIST_DIR}/macos.cmake)
