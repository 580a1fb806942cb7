# How the program is linked: sets tob_program_link_options, tob_static_link and tob_allocator
# (mimalloc's link item, or empty for the C library's malloc), and TOB_WITH_MIMALLOC.
include(CheckLinkerFlag)

# Libraries that the program names but does not call are left out where the linker can do that.
check_linker_flag(CXX "LINKER:--as-needed" TOB_LINKER_AS_NEEDED)
if(TOB_LINKER_AS_NEEDED)
  set(tob_program_link_options "LINKER:--as-needed")
endif()

# A static program runs on any Linux of its machine, whatever its C library: as a static PIE
# where the toolchain makes one, so that it keeps address-space randomization. Debian's
# libmimalloc-dev has no static library, so it runs on the C library's allocator.
if(TOB_STATIC)
  check_linker_flag(CXX -static-pie TOB_LINKER_STATIC_PIE)
  set(tob_static_link $<IF:$<AND:$<BOOL:${TOB_LINKER_STATIC_PIE}>,$<BOOL:${CMAKE_POSITION_INDEPENDENT_CODE}>>,-static-pie,-static>)
  if(TOB_MIMALLOC AND NOT TOB_MIMALLOC STREQUAL "AUTO")
    message(FATAL_ERROR "TOB_STATIC takes the C library's allocator: Debian's libmimalloc-dev has no static library")
  endif()
elseif(TOB_MIMALLOC)
  # mimalloc takes over malloc and free for the whole process: its size classes keep a record
  # and its short fields in about half the memory of the C library's allocator. AUTO is true
  # to CMake, and finds it quietly.
  find_package(mimalloc QUIET)
  if(NOT mimalloc_FOUND AND NOT TOB_MIMALLOC STREQUAL "AUTO")
    message(FATAL_ERROR "TOB_MIMALLOC=${TOB_MIMALLOC} needs mimalloc: install libmimalloc-dev, or configure with -DTOB_MIMALLOC=OFF")
  elseif(mimalloc_FOUND AND TOB_LINKER_AS_NEEDED)
    # --as-needed keeps a library only for the calls the linker has seen when it reaches it, and
    # in an LTO build it sees the calls to malloc only after that: the allocator is always kept.
    set(CMAKE_CXX_LINK_LIBRARY_USING_ALLOCATOR "LINKER:--no-as-needed" "<LINK_ITEM>" "LINKER:--as-needed")
    set(CMAKE_CXX_LINK_LIBRARY_USING_ALLOCATOR_SUPPORTED TRUE)
    set(tob_allocator "$<LINK_LIBRARY:ALLOCATOR,mimalloc>")
  elseif(mimalloc_FOUND)
    set(tob_allocator mimalloc)
  endif()
endif()
if(tob_allocator)
  set(TOB_WITH_MIMALLOC ON)
  message(STATUS "tob-list allocator: mimalloc ${mimalloc_VERSION}")
else()
  set(TOB_WITH_MIMALLOC OFF)
  message(STATUS "tob-list allocator: the C library's malloc")
endif()
