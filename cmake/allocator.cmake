# How the program is linked: sets tob_program_link_options, tob_static_link and tob_allocator
# (mimalloc's link item, or empty for the C library's malloc), and TOB_WITH_MIMALLOC; with
# mimalloc built in, tob_mimalloc_calls and tob_mimalloc_headers for the program's sources.
include(CheckLinkerFlag)

# Libraries that the program names but does not call are left out where the linker can do that.
check_linker_flag(CXX "LINKER:--as-needed" TOB_LINKER_AS_NEEDED)
if(TOB_LINKER_AS_NEEDED)
  set(tob_program_link_options "LINKER:--as-needed")
endif()

# A static program runs on any Linux of its machine, whatever its C library: as a static PIE
# where the toolchain makes one, so that it keeps address-space randomization.
if(TOB_STATIC)
  check_linker_flag(CXX -static-pie TOB_LINKER_STATIC_PIE)
  set(tob_static_link $<IF:$<AND:$<BOOL:${TOB_LINKER_STATIC_PIE}>,$<BOOL:${CMAKE_POSITION_INDEPENDENT_CODE}>>,-static-pie,-static>)
endif()

set(TOB_MIMALLOC_SOURCE "" CACHE PATH "mimalloc's source folder (bash packaging/fetch-mimalloc makes one), built into the program")
if(TOB_MIMALLOC_SOURCE)
  # mimalloc built from its source into the program, as the static programs and tob-list.exe
  # are: Debian's libmimalloc-dev has no static library, and MinGW-w64 none at all. It serves
  # the program's own calls (cmake/mimalloc-calls.hpp), not the C library's, so that the C
  # library starts before anything is reserved for mimalloc, also under a small address-space
  # limit. mimalloc's own code is built with its own warnings off.
  if(NOT EXISTS "${TOB_MIMALLOC_SOURCE}/src/static.c")
    message(FATAL_ERROR "TOB_MIMALLOC_SOURCE=${TOB_MIMALLOC_SOURCE} holds no mimalloc source (src/static.c): bash packaging/fetch-mimalloc prints the folder of one")
  endif()
  enable_language(C)
  add_library(tob_mimalloc STATIC "${TOB_MIMALLOC_SOURCE}/src/static.c")
  target_include_directories(tob_mimalloc PRIVATE "${TOB_MIMALLOC_SOURCE}/include")
  target_compile_definitions(tob_mimalloc PRIVATE MI_STATIC_LIB NDEBUG MI_DEBUG=0)
  target_compile_options(tob_mimalloc PRIVATE -w)
  if(WIN32)
    # Linked whole into tob-list.exe, with the runtime pieces it needs (libgcc, winpthreads), so
    # that the program takes no DLL that Windows does not ship.
    target_link_libraries(tob_mimalloc INTERFACE advapi32 psapi bcrypt)
    set(tob_static_link -static)
  else()
    find_package(Threads REQUIRED)
    target_link_libraries(tob_mimalloc INTERFACE Threads::Threads)
  endif()
  set(tob_allocator tob_mimalloc)
  set(tob_mimalloc_calls -include "${PROJECT_SOURCE_DIR}/cmake/mimalloc-calls.hpp")
  set(tob_mimalloc_headers "${TOB_MIMALLOC_SOURCE}/include")
  set(mimalloc_VERSION "2.0.9, built in")
elseif(TOB_STATIC)
  # Debian's libmimalloc-dev has no static library: without the source, a static program runs on
  # the C library's allocator.
  if(TOB_MIMALLOC AND NOT TOB_MIMALLOC STREQUAL "AUTO")
    message(FATAL_ERROR "TOB_STATIC links mimalloc only from its source: configure with -DTOB_MIMALLOC_SOURCE=$(bash packaging/fetch-mimalloc)")
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
