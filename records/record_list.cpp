#include "record_list.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

// The listing's buffer: static, so that listing never needs the heap.
std::array<char, listing_buffer_size> lines;

// The bytes of `w` in memory before its first NUL, or all of them.
[[nodiscard]] std::size_t bytes_before_nul(text_word w) noexcept {
    // 0x80 in each NUL byte and nowhere else: no byte carries into the next, so the flags hold
    // in either byte order, and the first byte in memory is the lowest on a little-endian
    // machine, the highest on a big-endian one.
    constexpr text_word low = ~text_word{0} / 0xFF * 0x7F;
    const text_word nul = ~(((w & low) + low) | w | low);
    if (nul == 0) { return sizeof w; }
    const int bit =
        std::endian::native == std::endian::little ? std::countr_zero(nul) : std::countl_zero(nul);
    return static_cast<std::size_t>(bit) / 8;
}

// Writes the first `used` bytes of the buffer to `out` and sets `used` to 0. Returns false when
// the stream refused them; its error flag tells it.
[[nodiscard]] bool write_out(std::size_t& used, std::FILE* out) noexcept {
    const bool written = std::fwrite(lines.data(), 1, used, out) == used;
    used = 0;
    return written;
}

} // namespace

record* find_last(record* const* list) noexcept {
    record* last = *list;
    while (last != nullptr && last->next != nullptr) { last = last->next; }
    return last;
}

bool append_record(record** list, char* line, std::size_t size) noexcept {
    record* rec = parse_record(line, size);
    if (rec == nullptr) { return false; }
    record* last = find_last(list);
    (last != nullptr ? last->next : *list) = rec;
    return true;
}

void print_list(record* const* list, std::FILE* out) noexcept {
    if (*list == nullptr) { (void)std::fprintf(out, "%s\n", empty_list_message); }
    std::size_t used = 0;
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        for (std::size_t k = 0; k < listed_fields && rec->fields[k] != nullptr; ++k) {
            // Each word of the copy goes to the buffer whole, and the line goes on after its
            // last byte before the NUL; duplicate_string's blocks make every word readable.
            for (const char* text = rec->fields[k];; text += sizeof(text_word)) {
                if (lines.size() - used < sizeof(text_word) && !write_out(used, out)) { return; }
                text_word w = 0;
                std::memcpy(&w, text, sizeof w);
                std::copy_n(reinterpret_cast<const char*>(&w), sizeof w, lines.data() + used);
                const std::size_t before_nul = bytes_before_nul(w);
                used += before_nul;
                if (before_nul < sizeof w) { break; }
            }
        }
        if (used == lines.size() && !write_out(used, out)) { return; }
        lines[used++] = '\n';
    }
    (void)write_out(used, out);
}

bool free_list(record** list) noexcept {
    const bool had_records = *list != nullptr;
    for (record* rec = *list; rec != nullptr; rec = *list) {
        *list = rec->next;
        free_record(rec);
    }
    return had_records;
}
