// The allocation floor: makes and releases the blocks tob-list keeps for a benchmark table of
// N data lines (one zero-filled record and one copy per field, with the same calls), without
// reading, parsing or printing anything.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "record.hpp"
#include "table.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: alloc-floor LINES\n", stderr);
        return 2;
    }
    const std::size_t lines = std::strtoull(argv[1], nullptr, 10);
    const char text[8] = "abcdefg";
    record* head = nullptr;
    record** tail = &head;
    for (std::size_t i = 0; i < lines; ++i) {
        auto* rec = static_cast<record*>(std::calloc(1, sizeof(record)));
        if (rec == nullptr) {
            return 1;
        }
        *tail = rec;
        tail = &rec->next;
        for (std::size_t f = 0; f < bench_fields; ++f) {
            // As tob-list does, the field and its NUL in a block of whole 8-byte words.
            const std::size_t length = field_length(i, f);
            rec->fields[f] = static_cast<char*>(std::malloc((length / 8 + 1) * 8));
            if (rec->fields[f] == nullptr) {
                return 1;
            }
            std::memcpy(rec->fields[f], text, length);
            rec->fields[f][length] = '\0';
        }
    }
    while (head != nullptr) {
        record* rec = head;
        head = rec->next;
        for (char* field : rec->fields) {
            std::free(field);
        }
        std::free(rec);
    }
    return 0;
}
