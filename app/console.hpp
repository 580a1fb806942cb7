// The listing, on a Windows console as characters rather than bytes.
#pragma once

#include <cstdio>

#include "record_list.hpp"

// Writes the listing as print_list does, but when `out` is a Windows console: there each line
// is read as UTF-8 if its listed bytes are valid UTF-8, else in the ANSI code page, and written
// as characters. Returns false when the console refused a write; the listing may then stop
// part way. Files, pipes and every other system get the bytes from print_list.
[[nodiscard]] bool write_listing(record* const* list, std::FILE* out) noexcept;
