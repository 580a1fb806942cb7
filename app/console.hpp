// Standard output on a Windows console: the listing as characters rather than bytes, and a
// pause before the console window of a program started by a double-click closes.
#pragma once

#include <cstdio>

#include "record_list.hpp"

// What a stream is, found once for both uses. On Windows: the console's handle when the stream
// is a console, else null; and whether the program should wait before it exits, because
// standard input is that console too and no other process is attached to it, as when Explorer
// started it in a console of its own. On every other system, and for files and pipes: nothing.
struct terminal {
    void* console;
    bool alone;
};

[[nodiscard]] terminal find_terminal(std::FILE* out) noexcept;

// Writes the listing as print_list does, but when `where`, found for `out`, is a console: there
// each line is read as UTF-8 if its listed bytes are valid UTF-8, else in the ANSI code page,
// and written as characters. Returns false when the console refused a write; the listing may
// then stop part way.
[[nodiscard]] bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept;

// When the program is alone on its console, writes the prompt to standard output and waits for
// a key. Does nothing otherwise.
void wait_if_alone(terminal where) noexcept;
