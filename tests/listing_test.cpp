// The listing: the fields it writes, control characters on a terminal, failed writes.
#include <cstdio>
#include <gtest/gtest.h>
#include <iconv.h>
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

// On a terminal that takes UTF-8, each one-line table after the field U+0085 (NEL): where the
// whole line is valid UTF-8, the table is written as it is with its C1 characters shown as M-^X;
// else it is read as Windows-1250, where that field is "Â…" (the UTF-8 of U+00C2 U+2026). C0
// and DEL show as ^X either way.
TEST(PrintList, ShowsATableOnAUtf8TerminalAsUtf8OnlyWhereItIsValidUtf8) {
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
        {"\xe2\x82;\xac\xc2;\x9b",
         "\xe2\x82\xacM-^["},              // sequences parted by delimiters, as the reader sees them
        {"2;3;4;5;6;7;8;\xff", "2345678"}, // a field not listed is not read
    };
    // Continuation bytes that lead, overlong forms, a lead byte before no continuation byte,
    // surrogates, values above U+10FFFF, lead bytes of no UTF-8 sequence, and sequences cut by the
    // line's end.
    const std::string invalid[] = {"\x80",
                                   "\xbf",
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
                                   "\xf0\x9f\x98"};
    for (const auto& c : valid) {
        const test_list list({"\xc2\x85;" + c.line});
        EXPECT_EQ(listing(&list.head, reader::utf8_terminal), "M-^E" + c.shown + "\n")
            << testing::PrintToString(c.line);
    }
    for (const std::string& line : invalid) {
        const test_list list({"\xc2\x85;x;" + line, "\x1b"});
        const std::string shown = listing(&list.head, reader::utf8_terminal);
        EXPECT_TRUE(shown.starts_with("\xc3\x82\xe2\x80\xa6x") && shown.ends_with("\n^[\n"))
            << testing::PrintToString(line) << " shown as " << testing::PrintToString(shown);
    }
}

// Read as Windows-1250, every byte from 0x80 on shows as the C library's converter reads it,
// but the five it leaves undefined, which show as the C1 controls of their value.
TEST(PrintList, ReadsATableThatIsNotUtf8AsWindows1250) {
    const iconv_t from_cp1250 = iconv_open("UTF-8", "CP1250");
    if (from_cp1250 == reinterpret_cast<iconv_t>(-1)) {
        GTEST_SKIP() << "the C library has no converter from CP1250 on this machine";
    }
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b != 0x81 && b != 0x83 && b != 0x88 && b != 0x90 && b != 0x98) { bytes += static_cast<char>(b); }
    }
    std::string converted(bytes.size() * 3, '\0');
    char* in = bytes.data();
    char* out = converted.data();
    std::size_t in_left = bytes.size();
    std::size_t out_left = converted.size();
    ASSERT_NE(iconv(from_cp1250, &in, &in_left, &out, &out_left), static_cast<std::size_t>(-1));
    iconv_close(from_cp1250);
    converted.resize(converted.size() - out_left);
    const test_list list({bytes + ";\x81\x83\x88\x90\x98"});
    EXPECT_EQ(listing(&list.head, reader::utf8_terminal), converted + "M-^AM-^CM-^HM-^PM-^X\n");
}

// On a terminal in another character set the bytes go as they are, but for C0, DEL and 0x80 to
// 0x9F, the C1 controls of such character sets.
TEST(PrintList, ShowsControlBytesOnATerminalInAnotherCharacterSet) {
    const test_list list({"\x1f \x7f\x80\x9f\xa0\xff;\xc2\x9b"});
    EXPECT_EQ(listing(&list.head, reader::byte_terminal), "^_ ^?M-^@M-^_\xa0\xff\xc2M-^[\n");
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
    for (const reader how : {reader::file, reader::utf8_terminal}) {
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
