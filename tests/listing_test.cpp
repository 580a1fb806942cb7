// The listing: the fields it writes, control characters on a terminal, failed writes.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "test_list.hpp"

namespace {

TEST(PrintList, WritesTheFirstEightFieldsOfEachRecordRunTogether) {
    const struct {
        std::vector<std::string> lines;
        std::string out;
    } cases[] = {
        {{}, "Seznam je prazdny\n"},
        {{""}, "\n"},
        {{";;\n"}, "\n"},
        {{"ab;cd;ef"}, "abcdef\n"},
        {{"1;2;3;4;5;6;7;8;9;10;11;12;13;14;15"}, "12345678\n"},
        {{"x;y", "", "z"}, "xy\n\nz\n"},
    };
    for (const auto& c : cases) {
        const test_list list(c.lines);
        EXPECT_EQ(listing(&list.head), c.out) << testing::PrintToString(c.lines);
    }
}

// On a terminal, each one-line table after the field U+0085 (NEL): where the whole line is valid
// UTF-8, its C1 characters show as M-^X, else its bytes from 0x80 up go as they are; C0 and DEL
// show as ^X either way.
TEST(PrintList, ShowsControlsOnATerminalWhereTheLineIsUtf8) {
    const struct {
        std::string line;
        std::string shown;
    } valid[] = {
        {" \x1f\x7f~", " ^_^?~"},                                                 // the bounds of C0 and DEL
        {"\xc2\x80\xc2\x9f\xc2\xa0", "M-^@M-^_\xc2\xa0"},                         // the bounds of C1
        {"\xc2\xbf\xdf\xbf", "\xc2\xbf\xdf\xbf"},                                 // U+00BF, U+07FF
        {"\xe0\xa0\x80\xed\x9f\xbf", "\xe0\xa0\x80\xed\x9f\xbf"},                 // U+0800, U+D7FF
        {"\xee\x80\x80\xef\xbf\xbf", "\xee\x80\x80\xef\xbf\xbf"},                 // U+E000, U+FFFF
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"}, // U+10000, U+10FFFF
        {"2;3;4;5;6;7;8;\xff", "2345678"}, // a field not listed is not read
    };
    // Continuation bytes that lead, overlong forms, a lead byte before no continuation byte,
    // surrogates, values above U+10FFFF, lead bytes of no UTF-8 sequence, and sequences cut by the
    // field's end.
    const std::string invalid[] = {"\x80",
                                   "\xbf\x80",
                                   "\xc0\x80",
                                   "\xc1\xbf",
                                   "\xe0\x9f\xbf",
                                   "\xf0\x8f\xbf\xbf",
                                   "\xc2\x41",
                                   "\xc2\xc0",
                                   "\xed\xa0\x80",
                                   "\xed\xbf\xbf",
                                   "\xf4\x90\x80\x80",
                                   "\xf5\x80\x80\x80",
                                   "\xf7\xbf\xbf\xbf",
                                   "\xf8\x90\x80\x80",
                                   "\xfe",
                                   "\xff",
                                   "a\xe2\x82",
                                   "\xf0\x9f\x98",
                                   "\xe2\x82;\xac"};
    const auto check = [](const std::string& line, const std::string& want) {
        const test_list list({"\xc2\x85;" + line});
        EXPECT_EQ(listing(&list.head, controls::shown), want + "\n") << testing::PrintToString(line);
    };
    for (const auto& c : valid) { check(c.line, "M-^E" + c.shown); }
    for (const std::string& line : invalid) {
        std::string bytes = line;
        std::erase(bytes, ';');
        check(line + ";\x1b", "\xc2\x85" + bytes + "^[");
    }
}

TEST(PrintList, StopsAtTheFirstFailedWrite) {
    // Tables of 200,000 lines of fields, of empty lines, which end where no field is written, and
    // of more fields than are listed, with control characters to show; and a field of 1 MB with
    // one control character at its end.
    std::string controls_line = "\x1b;\x7f;1;2;3;4;5;6;7;8;9;10";
    const std::vector<std::vector<std::string>> tables = {
        std::vector<std::string>(200'000, "abc;def;ghi"),
        std::vector<std::string>(200'000, ""),
        std::vector<std::string>(200'000, controls_line),
        {std::string(1'000'000, 'f') + "\x1b"},
    };
    for (const controls how : {controls::sent, controls::shown}) {
        for (const auto& table : tables) {
            const test_list list(table);
            flaky_output out(10'000, SIZE_MAX);
            ASSERT_NE(out.file, nullptr);
            print_list(&list.head, out.file, how);
            EXPECT_NE(std::ferror(out.file), 0);
            // The listing goes out a bufferful at a time: once a write has failed, at most the
            // rest of that bufferful is offered again, out of 1 MB or more.
            EXPECT_LT(out.offered, 2 * listing_buffer_size)
                << table.size() << " lines of " << table[0].size();
        }
    }
}

} // namespace
