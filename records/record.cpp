#include "record.hpp"

#include <cstdlib>

namespace {

// A table with an entry for every byte value: true for the delimiters, and for NUL when asked.
constexpr std::array<bool, 256> byte_table(bool with_nul) {
    std::array<bool, 256> table{};
    for (const char c : field_delimiters) { table[static_cast<unsigned char>(c)] = true; }
    table[0] = with_nul;
    return table;
}

// Bytes skipped between fields, and bytes that end a field.
constexpr std::array<bool, 256> separates = byte_table(false);
constexpr std::array<bool, 256> ends_field = byte_table(true);

[[nodiscard]] bool in(const std::array<bool, 256>& table, char c) noexcept {
    return table[static_cast<unsigned char>(c)];
}

} // namespace

record* parse_record(char* line, std::size_t size) noexcept {
    // calloc leaves every slot and the link null.
    auto* rec = static_cast<record*>(std::calloc(1, sizeof(record)));
    if (rec == nullptr) { return nullptr; }
    char* pos = line;
    const char* const last = line + size; // the NUL after the line, which may be read too
    for (char*& slot : rec->fields) {
        while (in(separates, *pos)) { ++pos; }
        if (*pos == '\0') { break; }
        char* end = pos + 1;
        while (!in(ends_field, *end)) { ++end; }
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
