// The benchmark's table and its allocation floor. `alloc-floor -t LINES` writes to standard
// output a table of LINES lines, the header included, each data line of ten fields of 5 to 7
// letters. `alloc-floor LINES` makes and releases the blocks tob-list keeps for that table, with
// the program's own calls (a zero-filled record, duplicate_string for each field, free_list),
// but reads, parses and prints nothing: the time and memory no loader of the table can go below.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "record_list.hpp"

namespace {

constexpr std::size_t table_fields = 10;

// The length of field f of data line i.
constexpr std::size_t field_length(std::size_t i, std::size_t f) { return 5 + (i * 7 + f * 5) % 3; }

int write_table(std::size_t lines) {
    std::fputs("c0;c1;c2;c3;c4;c5;c6;c7;c8;c9\n", stdout);
    for (std::size_t i = 1; i < lines; ++i) {
        char line[table_fields * 8];
        std::size_t used = 0;
        for (std::size_t f = 0; f < table_fields; ++f) {
            for (std::size_t k = 0; k < field_length(i, f); ++k) {
                line[used++] = static_cast<char>('a' + (i + f * 3 + k) % 26);
            }
            line[used++] = f + 1 < table_fields ? ';' : '\n';
        }
        (void)std::fwrite(line, 1, used, stdout);
    }
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

int make_and_free(std::size_t lines) {
    constexpr std::string_view text = "abcdefg";
    record* head = nullptr;
    record** tail = &head;
    for (std::size_t i = 1; i < lines; ++i) {
        *tail = static_cast<record*>(std::calloc(1, sizeof(record)));
        if (*tail == nullptr) { return 1; }
        for (std::size_t f = 0; f < table_fields; ++f) {
            (*tail)->fields[f] = duplicate_string(text.substr(0, field_length(i, f)), text.size() + 1);
            if ((*tail)->fields[f] == nullptr) { return 1; }
        }
        tail = &(*tail)->next;
    }
    (void)free_list(&head);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool table = argc == 3 && std::strcmp(argv[1], "-t") == 0;
    if (argc != 2 && !table) {
        std::fputs("usage: alloc-floor [-t] LINES\n", stderr);
        return 2;
    }
    const std::size_t lines = std::strtoull(argv[argc - 1], nullptr, 10);
    return table ? write_table(lines) : make_and_free(lines);
}
