# macOS on Intel, cross-built with zig.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tob_zig_target x86_64-macos)
include(${CMAKE_CURRENT_LIST_DIR}/macos.cmake)
