// Standard output on a terminal, which a person reads: the listing is written in the terminal's
// character set with control characters shown rather than sent; on a Windows console it is
// written as characters rather than bytes, and the console window of a program started by a
// double-click waits before it closes.
#pragma once

#include <cstdio>

#include "listing.hpp"

// What a stream is, found once for all uses: who reads it, a file or pipe or a terminal and its
// character set (on Windows, a file or pipe, or a console); on Windows, the console's handle,
// else null; and whether the program should wait before it exits, because standard input is that
// console too and no other process is attached to it, as when Explorer started it in a console of
// its own.
struct terminal {
    reader form;
    void* console;
    bool alone;
};

[[nodiscard]] terminal find_terminal(std::FILE* out) noexcept;

// Writes the listing as print_list does for `where.form`, found for `out`. On a Windows console
// the table is read as UTF-8 when table_utf8 holds for it, else in the ANSI code page, and each
// line is written as characters, each control character among them as show_control's text.
// Returns false when the console refused a write; the listing may then stop part way.
[[nodiscard]] bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept;

// When the program is alone on its console, writes the prompt to standard output and waits for
// a key. Does nothing otherwise.
void wait_if_alone(terminal where) noexcept;
