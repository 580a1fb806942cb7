#include "record.hpp"

#include <cstdlib>

namespace {

// What each byte value is to the parser: most bytes are field text; the delimiters separate
// fields, and the NUL after the line ends the last one.
enum class byte_kind : unsigned char { text, delimiter, line_end };

constexpr std::array<byte_kind, 256> byte_kinds = [] {
    std::array<byte_kind, 256> kinds{};
    for (const char c : field_delimiters) { kinds[static_cast<unsigned char>(c)] = byte_kind::delimiter; }
    kinds[0] = byte_kind::line_end;
    return kinds;
}();

[[nodiscard]] byte_kind kind_of(char c) noexcept { return byte_kinds[static_cast<unsigned char>(c)]; }

} // namespace

record* parse_record(char* line, std::size_t size) noexcept {
    // calloc leaves every slot and the link null.
    auto* rec = static_cast<record*>(std::calloc(1, sizeof(record)));
    if (rec == nullptr) { return nullptr; }
    char* pos = line;
    const char* const last = line + size; // the NUL after the line, which may be read too
    for (char*& slot : rec->fields) {
        while (kind_of(*pos) == byte_kind::delimiter) { ++pos; }
        if (*pos == '\0') { break; }
        char* end = pos + 1;
        while (kind_of(*end) == byte_kind::text) { ++end; }
        slot = duplicate_string({pos, static_cast<std::size_t>(end - pos)},
                                static_cast<std::size_t>(last - pos) + 1);
        if (slot == nullptr) {
            free_record(rec);
            return nullptr;
        }
        if (*end == '\0') { break; }
        *end = '\0';
        pos = end + 1;
    }
    return rec;
}

void free_record(record* rec) noexcept {
    if (rec == nullptr) { return; }
    for (char* text : rec->fields) { std::free(text); }
    std::free(rec);
}
