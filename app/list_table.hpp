// The program's run once its input is open: read, list, summarize, release.
#pragma once

#include <cstddef>
#include <cstdio>

#include "console.hpp"

// The table is read this many bytes at a time into a buffer of the same size, one byte of which
// is kept for the NUL after a last line without a line feed; a longer line doubles the buffer.
inline constexpr std::size_t read_block = std::size_t{1} << 16;

// Reads the table from `in` to its end, then writes to `out`, which is `where`, the listing and
// the summary, or only the message for a failed read or allocation. A listing cut short by a
// failed write gets no summary: `out`'s error flag tells of a failed stream write, and the
// message for a Windows console that refused it goes to standard error. Releases
// every record; leaves `in` open. Returns the exit status: 0 after a listing, 1 after a failure.
[[nodiscard]] int list_table(std::FILE* in, std::FILE* out, terminal where) noexcept;
