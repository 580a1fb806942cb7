// The listing on a Windows console, which holds characters rather than bytes.
#pragma once

#include <cstdio>

#include "record_list.hpp"

enum class console_listing {
    not_console, // nothing written: `out` is no Windows console, or the list is empty
    written,     // the whole listing is on the console
    failed       // the console refused a write; the listing may stop part way
};

// When `out` is a Windows console, writes the listing of a non-empty list to it as characters:
// a line whose listed bytes are valid UTF-8 is read as UTF-8, any other in the ANSI code page.
// Files, pipes and every other system are left to print_list, which copies the bytes.
[[nodiscard]] console_listing print_to_console(record* const* list, std::FILE* out) noexcept;
