// The allocation floor: makes and releases the blocks tob-list keeps for a benchmark table of
// LINES data lines, with the program's own calls (a zero-filled record, duplicate_string for each
// field, free_list), on the same pages as the program, but reads, parses and prints nothing.
// Run it in the table's folder: it asks for huge pages as the program does for that table.
#include <cstdio>
#include <cstdlib>

#include "huge_pages.hpp"
#include "record_list.hpp"
#include "table.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: alloc-floor LINES\n", stderr);
        return 2;
    }
    ask_for_huge_pages("tob_10.csv");
    const std::size_t lines = std::strtoull(argv[1], nullptr, 10);
    constexpr std::string_view text = "abcdefg";
    record* head = nullptr;
    record** tail = &head;
    for (std::size_t i = 0; i < lines; ++i) {
        *tail = static_cast<record*>(std::calloc(1, sizeof(record)));
        if (*tail == nullptr) { return 1; }
        for (std::size_t f = 0; f < bench_fields; ++f) {
            (*tail)->fields[f] = duplicate_string(text.substr(0, field_length(i, f)), text.size() + 1);
            if ((*tail)->fields[f] == nullptr) { return 1; }
        }
        tail = &(*tail)->next;
    }
    (void)free_list(&head);
    return 0;
}
