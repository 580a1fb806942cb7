// The listing: each record's leading fields run together on a line of their own, as bytes for a
// file or a pipe, or as characters a person can read for a terminal.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "record.hpp"

// The listing shows this many leading fields of each record.
inline constexpr std::size_t listed_fields = 8;

// The listing is gathered in a buffer of this many bytes, written out whenever it is full.
inline constexpr std::size_t listing_buffer_size = std::size_t{1} << 16;

// Written as a line in place of the listing when there is no record.
inline constexpr const char* empty_list_message = "Seznam je prazdny";

// Whom the listing is written for, and so what it writes.
enum class reader : unsigned char {
    // A file or a pipe: the table's bytes as they are.
    file,
    // A terminal that takes UTF-8: a table whose every line is UTF-8 (table_utf8) as it is, any
    // other table read as Windows-1250 and written as UTF-8; control characters shown.
    utf8_terminal,
    // A terminal in another character set: the bytes as they are, those of control characters
    // (C0, DEL and 0x80 to 0x9F, its C1 controls) shown.
    byte_terminal,
};

// The text shown for a control character, in cat -v's notation.
struct control_text {
    std::array<char, 4> text;
    std::size_t size; // 0: the character is no control character and is shown as it is
};

// The text shown for the character `c`: "^" and c XOR 0x40 for C0 (below 0x20) and DEL (0x7F),
// so ESC is "^[" and DEL "^?"; "M-" and the text of its low seven bits for C1 (0x80 to 0x9F), so
// U+009B is "M-^["; none for any other character.
[[nodiscard]] constexpr control_text show_control(std::uint32_t c) noexcept {
    control_text shown{};
    if (c >= 0x80 && c <= 0x9F) {
        shown.text = {'M', '-'};
        shown.size = 2;
        c &= 0x7F;
    } else if (c >= 0x20 && c != 0x7F) {
        return shown;
    }
    shown.text[shown.size++] = '^';
    shown.text[shown.size++] = static_cast<char>(c ^ 0x40);
    return shown;
}

// The bytes of the UTF-8 sequence that `lead` starts: 2, 3 or 4 for a lead byte from 0xC0, 0xE0
// or 0xF0 on, else 1 (ASCII, and bytes that lead no valid sequence).
[[nodiscard]] constexpr std::size_t utf8_length(unsigned char lead) noexcept {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// True when, for every record of the list with head `*list`, its listed fields run together as
// the listing writes them are valid UTF-8: no stray continuation byte, overlong form, UTF-16
// surrogate or value above U+10FFFF, and no sequence cut at the line's end. A spreadsheet writes
// one encoding per file, so the table is read as UTF-8 only when all of it is.
[[nodiscard]] bool table_utf8(record* const* list) noexcept;

// Writes to `out` each record's first listed_fields fields run together as one line, or the
// empty-list message; `list` is the address of the list's head. What it writes of the fields'
// bytes is as `how` says; on a terminal each control character is written as show_control's
// text. The listing goes out a bufferful at a time, so `out` may as well be unbuffered. Stops
// after the first failed write; the error flag of `out` tells it.
void print_list(record* const* list, std::FILE* out, reader how = reader::file) noexcept;
