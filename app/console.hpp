// Standard output on a terminal, which a person reads: the listing shows control characters
// rather than sending them; on a Windows console it is written as characters rather than bytes,
// and the console window of a program started by a double-click waits before it closes.
#pragma once

#include <cstdio>

#include "listing.hpp"

// What a stream is, found once for all uses: whether it is a terminal (on Windows, a console);
// on Windows, the console's handle, else null; and whether the program should wait before it
// exits, because standard input is that console too and no other process is attached to it, as
// when Explorer started it in a console of its own. For files and pipes: nothing.
struct terminal {
    bool is_terminal;
    void* console;
    bool alone;
};

[[nodiscard]] terminal find_terminal(std::FILE* out) noexcept;

// Writes the listing as print_list does, with controls::shown when `where`, found for `out`, is
// a terminal. On a Windows console each line is read as UTF-8 if listed_utf8 holds for it, else
// in the ANSI code page, and written as characters, each control character among them as
// show_control's text. Returns false when the console refused a write; the listing may then
// stop part way.
[[nodiscard]] bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept;

// When the program is alone on its console, writes the prompt to standard output and waits for
// a key. Does nothing otherwise.
void wait_if_alone(terminal where) noexcept;
