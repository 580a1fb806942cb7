// The allocation floor: makes and releases the blocks tob-list makes for a benchmark table of
// N data lines (one zero-filled record and one copy per field), without reading, parsing or
// printing anything.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

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
    record** end = &head;
    for (std::size_t i = 0; i < lines; ++i) {
        auto* rec = new (std::nothrow) record{};
        if (rec == nullptr) {
            return 1;
        }
        for (std::size_t f = 0; f < bench_fields; ++f) {
            const std::size_t length = field_length(i, f);
            rec->fields[f] = new (std::nothrow) char[length + 1];
            if (rec->fields[f] == nullptr) {
                return 1;
            }
            std::memcpy(rec->fields[f], text, length);
            rec->fields[f][length] = '\0';
        }
        *end = rec;
        end = &rec->next;
    }
    while (head != nullptr) {
        record* rec = head;
        head = rec->next;
        for (char* field : rec->fields) {
            delete[] field;
        }
        delete rec;
    }
    return 0;
}
