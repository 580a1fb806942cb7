// The listing: each record's leading fields run together on a line of their own, as bytes for a
// file or a pipe, or with control characters shown for a terminal.
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

// What the listing does with a field's control characters: sends them as they are, for a file or
// a pipe, or shows them as control_text, for a terminal, which would obey them.
enum class controls : bool { sent, shown };

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

// True when every listed field of `rec` is valid UTF-8: no stray continuation byte, overlong
// form, UTF-16 surrogate or value above U+10FFFF, and no sequence cut at the field's end.
[[nodiscard]] bool listed_utf8(const record& rec) noexcept;

// Writes to `out` each record's first listed_fields fields run together as one line, or the
// empty-list message; `list` is the address of the list's head. With controls::shown, a field's
// C0 and DEL bytes, and in a line whose listed fields are valid UTF-8 its C1 characters, are
// written as show_control's text; every other byte as it is. The listing goes out a bufferful at
// a time, so `out` may as well be unbuffered. Stops after the first failed write; the error flag
// of `out` tells it.
void print_list(record* const* list, std::FILE* out, controls how = controls::sent) noexcept;
