#include "listing.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// The listing's buffer: static, so that listing never needs the heap.
std::array<char, listing_buffer_size> lines;

// Writes the first `used` bytes of the buffer to `out` and sets `used` to 0. Returns false when
// the stream refused them; its error flag tells it.
[[nodiscard]] bool write_out(std::size_t& used, std::FILE* out) noexcept {
    const bool written = std::fwrite(lines.data(), 1, used, out) == used;
    used = 0;
    return written;
}

// Adds a line feed to the buffer. Returns false when the stream refused a write.
[[nodiscard]] bool end_line(std::size_t& used, std::FILE* out) noexcept {
    if (used == lines.size() && !write_out(used, out)) { return false; }
    lines[used++] = '\n';
    return true;
}

// Adds the listed fields of `rec` to the buffer as they are. Returns false when the stream
// refused a write.
[[nodiscard]] bool put_words(const record& rec, std::size_t& used, std::FILE* out) noexcept {
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        // Each word of the copy goes to the buffer whole, and the line goes on after its last
        // byte before the NUL.
        for (const char* text = rec.fields[k];; text += field_word_size) {
            if (lines.size() - used < field_word_size && !write_out(used, out)) { return false; }
            const std::size_t before_nul = copy_field_word(text, lines.data() + used);
            used += before_nul;
            if (before_nul < field_word_size) { break; }
        }
    }
    return true;
}

// The characters of Windows-1250 from 0x80 on, as its published mapping gives them; the five
// bytes it leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) stand for the C1 controls of their
// value, as Windows' own conversion takes them.
constexpr std::array<std::uint16_t, 128> cp1250 = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// What a terminal is sent for each byte value: the byte itself, or read as Windows-1250, that
// character in UTF-8; a control character as show_control's text either way.
constexpr std::array<control_text, 256> shown_bytes(bool from_cp1250) noexcept {
    std::array<control_text, 256> shown{};
    for (std::size_t b = 0; b < shown.size(); ++b) {
        const std::uint32_t c = from_cp1250 && b >= 0x80 ? cp1250[b - 0x80] : b;
        shown[b] = show_control(c);
        if (shown[b].size > 0) { continue; }
        if (!from_cp1250 || c < 0x80) {
            shown[b] = {{static_cast<char>(b)}, 1};
        } else if (c < 0x800) {
            shown[b] = {{static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))}, 2};
        } else {
            shown[b] = {{static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                         static_cast<char>(0x80 | (c & 0x3F))},
                        3};
        }
    }
    return shown;
}
constexpr std::array<control_text, 256> as_bytes = shown_bytes(false);
constexpr std::array<control_text, 256> as_cp1250 = shown_bytes(true);

// Adds the listed fields of `rec` to the buffer, each byte as `shown` gives it. In a UTF-8
// table, `utf8`, the bytes from 0x80 on go as they are but for the C1 characters, 0xC2 and a byte
// below 0xA0, which are shown, also when a delimiter stood between their two bytes. Returns false
// when the stream refused a write.
[[nodiscard]] bool put_shown(const record& rec, const std::array<control_text, 256>& shown, bool utf8,
                             std::size_t& used, std::FILE* out) noexcept {
    // A lead byte 0xC2 waits for the byte after it, which is in the line: the line is UTF-8.
    bool after_c2 = false;
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        for (const char* text = rec.fields[k]; *text != '\0'; ++text) {
            const auto byte = static_cast<unsigned char>(*text);
            control_text put_text = shown[byte];
            if (after_c2) {
                after_c2 = false;
                put_text = byte < 0xA0 ? show_control(byte) : control_text{{'\xC2', *text}, 2};
            } else if (utf8 && byte >= 0x80) {
                after_c2 = byte == 0xC2;
                put_text = {{*text}, after_c2 ? 0U : 1U};
            }
            // The whole text goes to the buffer, and the line goes on after its `size` bytes.
            if (lines.size() - used < put_text.text.size() && !write_out(used, out)) { return false; }
            std::copy_n(put_text.text.data(), put_text.text.size(), lines.data() + used);
            used += put_text.size;
        }
    }
    return true;
}

// Reads UTF-8 a byte at a time, across the fields of a line.
struct utf8_reader {
    std::uint32_t c = 0;     // the bits of the character read so far
    std::size_t more = 0;    // the continuation bytes it still needs
    std::uint32_t least = 0; // the least character of its length: below it the form is overlong
    bool broken = false;     // a byte broke the rules

    void add(unsigned char byte) noexcept {
        if (more > 0) {
            broken = broken || (byte & 0xC0) != 0x80;
            c = c << 6 | (byte & 0x3FU);
            if (--more == 0) { broken = broken || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF); }
        } else if (byte >= 0x80) {
            // A lead byte from 0xC0, 0xE0 or 0xF0 on is followed by 1, 2 or 3 continuation
            // bytes; a continuation byte, or a byte from 0xF8 on, leads nothing.
            broken = broken || byte < 0xC0 || byte >= 0xF8;
            more = utf8_length(byte) - 1;
            constexpr std::array<std::uint32_t, 4> lowest = {0, 0x80, 0x800, 0x10000};
            least = lowest[more];
            c = byte & (0x3FU >> more);
        }
    }
};

// True when the listed fields of `rec`, run together, are valid UTF-8.
[[nodiscard]] bool line_utf8(const record& rec) noexcept {
    utf8_reader reader;
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr && !reader.broken; ++k) {
        for (const char* text = rec.fields[k]; *text != '\0'; ++text) {
            reader.add(static_cast<unsigned char>(*text));
        }
    }
    return !reader.broken && reader.more == 0;
}

} // namespace

bool table_utf8(record* const* list) noexcept {
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        if (!line_utf8(*rec)) { return false; }
    }
    return true;
}

void print_list(record* const* list, std::FILE* out, reader how) noexcept {
    if (*list == nullptr) { (void)std::fprintf(out, "%s\n", empty_list_message); }
    std::size_t used = 0;
    // One loop for each way of writing, so that the plain one, for files and pipes, stays as
    // tight as it was without the other.
    if (how == reader::file) {
        for (const record* rec = *list; rec != nullptr; rec = rec->next) {
            if (!put_words(*rec, used, out) || !end_line(used, out)) { return; }
        }
    } else {
        const bool utf8 = how == reader::utf8_terminal && table_utf8(list);
        const auto& shown = how == reader::utf8_terminal && !utf8 ? as_cp1250 : as_bytes;
        for (const record* rec = *list; rec != nullptr; rec = rec->next) {
            if (!put_shown(*rec, shown, utf8, used, out) || !end_line(used, out)) { return; }
        }
    }
    (void)write_out(used, out);
}
