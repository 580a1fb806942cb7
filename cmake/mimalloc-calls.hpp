// Forced into the program's sources when mimalloc is built into the program (TOB_MIMALLOC_SOURCE):
// the program's own malloc, calloc, realloc and free become mimalloc's, while the C library keeps
// its own allocator for itself, so that it starts and reports a lack of memory whatever mimalloc
// could reserve.
#pragma once

#include <cstdlib>
#include <cstring>

#include <mimalloc-override.h>

// The program calls them as std::malloc and so on, which the macros of mimalloc-override.h turn
// into std::mi_malloc.
namespace std {
using ::mi_calloc;
using ::mi_free;
using ::mi_malloc;
using ::mi_realloc;
} // namespace std
