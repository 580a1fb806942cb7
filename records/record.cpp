#include "record.hpp"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A table with an entry for every byte value: true for the delimiters, and for NUL when asked.
constexpr std::array<bool, 256> byte_table(bool with_nul)
{
    std::array<bool, 256> table{};
    for (const char c : field_delimiters) {
        table[static_cast<unsigned char>(c)] = true;
    }
    table[0] = with_nul;
    return table;
}

// Bytes skipped between fields, and bytes that end a field: each scan costs one look-up a byte.
constexpr std::array<bool, 256> separates = byte_table(false);
constexpr std::array<bool, 256> ends_field = byte_table(true);

[[nodiscard]] bool in(const std::array<bool, 256>& table, char c) noexcept
{
    return table[static_cast<unsigned char>(c)];
}

} // namespace

char* duplicate_string(std::string_view text) noexcept
{
    // A text of the largest size leaves no room for the NUL: ask for the largest size, which no
    // allocator grants.
    constexpr std::size_t largest = std::numeric_limits<std::size_t>::max();
    auto* copy = static_cast<char*>(std::malloc(text.size() < largest ? text.size() + 1 : largest));
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

record* parse_record(char* line) noexcept
{
    // calloc leaves every slot and the link null.
    auto* rec = static_cast<record*>(std::calloc(1, sizeof(record)));
    if (rec == nullptr) {
        return nullptr;
    }
    char* pos = line;
    for (char*& slot : rec->fields) {
        while (in(separates, *pos)) {
            ++pos;
        }
        if (*pos == '\0') {
            break;
        }
        char* end = pos;
        while (!in(ends_field, *end)) {
            ++end;
        }
        const bool at_end = *end == '\0';
        *end = '\0';
        slot = duplicate_string({pos, static_cast<std::size_t>(end - pos)});
        if (slot == nullptr) {
            free_record(rec);
            return nullptr;
        }
        if (at_end) {
            break;
        }
        pos = end + 1;
    }
    return rec;
}

void free_record(record* rec) noexcept
{
    if (rec == nullptr) {
        return;
    }
    for (char* text : rec->fields) {
        std::free(text);
    }
    std::free(rec);
}
