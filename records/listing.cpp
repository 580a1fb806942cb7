#include "listing.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

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

// Adds the `size` bytes at `bytes` to the buffer, writing it out whenever it is full. Returns
// false when the stream refused a write.
[[nodiscard]] bool put(const char* bytes, std::size_t size, std::size_t& used, std::FILE* out) noexcept {
    while (size > 0) {
        if (used == lines.size() && !write_out(used, out)) { return false; }
        const std::size_t taken = std::min(size, lines.size() - used);
        std::memcpy(lines.data() + used, bytes, taken);
        used += taken;
        bytes += taken;
        size -= taken;
    }
    return true;
}

// Adds the listed fields of `rec` to the buffer with their control characters shown, as
// print_list says. Returns false when the stream refused a write.
[[nodiscard]] bool put_shown(const record& rec, std::size_t& used, std::FILE* out) noexcept {
    const bool utf8 = listed_utf8(rec);
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        const std::string_view text = rec.fields[k];
        std::size_t plain = 0; // the first byte not yet added
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            // In valid UTF-8, 0xC2 is followed by a byte of its own, and U+0080 to U+009F are
            // 0xC2 and a byte below 0xA0.
            const bool c1 = utf8 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
            const control_text shown = c1            ? show_control(static_cast<unsigned char>(text[i + 1]))
                                       : byte < 0x80 ? show_control(byte)
                                                     : control_text{};
            if (shown.size == 0) { continue; }
            if (!put(text.data() + plain, i - plain, used, out) ||
                !put(shown.text.data(), shown.size, used, out)) {
                return false;
            }
            i += c1 ? 1 : 0;
            plain = i + 1;
        }
        if (!put(text.data() + plain, text.size() - plain, used, out)) { return false; }
    }
    return true;
}

// True when `text` is valid UTF-8.
[[nodiscard]] bool is_utf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // A lead byte from 0xC0, 0xE0 or 0xF0 on is followed by 1, 2 or 3 continuation bytes;
        // a continuation byte, or a byte from 0xF8 on, leads nothing.
        const std::size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        if (lead < 0xC0 || lead >= 0xF8 || text.size() - i <= more) { return false; }
        // The least value that needs so many bytes: below it, the form is overlong.
        constexpr std::array<std::uint32_t, 4> lowest = {0, 0x80, 0x800, 0x10000};
        std::uint32_t c = lead & (0x3FU >> more);
        for (std::size_t k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) { return false; }
            c = c << 6 | (next & 0x3FU);
        }
        if (c < lowest[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { return false; }
        i += more + 1;
    }
    return true;
}

} // namespace

bool listed_utf8(const record& rec) noexcept {
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        if (!is_utf8(rec.fields[k])) { return false; }
    }
    return true;
}

void print_list(record* const* list, std::FILE* out, controls how) noexcept {
    if (*list == nullptr) { (void)std::fprintf(out, "%s\n", empty_list_message); }
    std::size_t used = 0;
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        if (!(how == controls::shown ? put_shown(*rec, used, out) : put_words(*rec, used, out))) { return; }
        if (used == lines.size() && !write_out(used, out)) { return; }
        lines[used++] = '\n';
    }
    (void)write_out(used, out);
}
