// Huge pages for the heap of a large table, where the program is linked with mimalloc.
#pragma once

// A table of at least this many bytes gets its records on huge pages: they then fill several,
// and the far fewer page faults and TLB misses pay for the first. A smaller table would only
// carry a huge page of memory that it barely uses.
inline constexpr long long huge_page_table = 1LL << 20;

#if TOB_WITH_MIMALLOC
#include <mimalloc.h>
#include <sys/stat.h>

// Asks mimalloc for huge pages when the file `name` holds at least huge_page_table bytes. Called
// before anything is allocated, so that all of the heap can be on them. Where the kernel has no
// huge pages, or refuses them, mimalloc goes on with ordinary pages and nothing else changes.
inline void ask_for_huge_pages(const char* name) noexcept {
    struct stat table {};
    if (stat(name, &table) == 0 && table.st_size >= huge_page_table) {
        mi_option_enable(mi_option_large_os_pages);
    }
}
#else
inline void ask_for_huge_pages(const char* /*name*/) noexcept {}
#endif
