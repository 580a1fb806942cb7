// The built program, end to end: bytes of tob_10.csv in, exact output and status out.
#include <clocale>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

#include "list_table.hpp"
#include "listing.hpp"
#include "reference_listing.hpp"
#include "run_program.hpp"

namespace {

using namespace std::string_literals;

enum class input_kind { file, missing, directory };

struct e2e_case {
    std::string name;
    std::string input; // the bytes of tob_10.csv
    std::string out;   // exact standard output
    int status = 0;
    input_kind kind = input_kind::file;
    run_options options = {};
    std::string err = ""; // exact error stream
    // Fills in input and out for the large tables, when the case runs rather than when listed.
    void (*generate)(e2e_case&) = nullptr;
    std::string locale = ""; // a locale the case needs, skipped where it is not installed
};

void PrintTo(const e2e_case& c, std::ostream* os) { *os << c.name; }

// A case of bytes in and output out, which runs on Windows too; the others need a directory
// read as a file, resource limits, /dev/full, SIGPIPE or a pseudo-terminal.
bool plain(const e2e_case& c) {
    return c.kind != input_kind::directory && c.options.output == output_to::file && c.options.limits.empty();
}

// `text` as a program writes it in Windows' text mode: every line feed after a carriage return.
std::string with_crlf(std::string_view text) {
    std::string crlf;
    for (const char c : text) { crlf += c == '\n' ? "\r\n" : std::string(1, c); }
    return crlf;
}

std::string repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) { text += piece; }
    return text;
}

std::string random_bytes(std::size_t size) {
    std::mt19937 gen(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text(size, '\0');
    for (char& c : text) {
        // Line ends and delimiters more often than chance, so the table has many short lines.
        const int pick = byte(gen);
        c = pick < 8 ? '\n' : pick < 16 ? ';' : static_cast<char>(byte(gen));
    }
    return text;
}

// A table that would move the cursor up over the two lines before its third and wipe them,
// then write a line of its own in their place.
const std::string forging_table = "id;name;amount\nA1;Novak;100\nA2;Svoboda;200\n"
                                  "A3;\x1b[1A\x1b[2K\x1b[1A\x1b[2KA1Novak999999;x\n";

std::vector<e2e_case> e2e_cases() {
    const std::string long_field = repeat("0123456789", 500);
    // A terminal in a locale of the environment given.
    const auto terminal_in = [](std::vector<std::string> env) {
        return run_options{{}, output_to::terminal, {}, std::move(env)};
    };
    const run_options on_terminal = terminal_in({"LC_ALL=C.UTF-8"});
    const std::string czech_utf8 = "h\nA1;Nové Město;Příliš žluťoučký kůň\nB2;ÚŽINA\nC3;100 €\n";
    const std::string czech_cp1250 =
        "h\nA1;Nov\xe9 M\xecsto;P\xf8\xedli\x9a \x9elu\x9dou\xe8k\xfd k\xf9\xf2\nB2;\xda\x8e"
        "INA\nC3;100 \x80\n";
    const std::string czech_shown = "A1Nové MěstoPříliš žluťoučký kůň\nB2ÚŽINA\nC3100 €\nNacteno 4 radku\n";
    const std::string more_fields = "h\n1;2;3;4;5;6;7;8;9;10;11;12;13;14;15\n";
    std::vector<e2e_case> cases = {
        {"missing_file", "", "Soubor nesel otevrit.\n", 1, input_kind::missing},
        {"empty_file", "", "Seznam je prazdny\nNacteno 0 radku\n"},
        {"header_only", "a;b;c\n", "Seznam je prazdny\nNacteno 1 radku\n"},
        {"header_without_line_feed", "a;b;c", "Seznam je prazdny\nNacteno 1 radku\n"},
        {"two_data_lines", "h\nx;y\nz\n", "xy\nz\nNacteno 3 radku\n"},
        {"blank_data_line", "h\na\n\nb\n", "a\n\nb\nNacteno 4 radku\n"},
        {"last_line_without_line_feed", "h\na;b\nc;d", "ab\ncd\nNacteno 3 radku\n"},
        {"more_fields_than_listed", more_fields, "12345678\nNacteno 2 radku\n"},
        {"more_fields_than_listed_on_a_terminal", more_fields, "12345678\nNacteno 2 radku\n", 0,
         input_kind::file, on_terminal},
        {"line_of_5000_characters", "h\n" + long_field + ";x\n", long_field + "x\nNacteno 2 radku\n"},
        {"header_of_5000_characters", long_field + "\nq\n", "q\nNacteno 2 radku\n"},
        {"crlf_line_ends", "h\r\na;b\r\nc\r\n", "ab\nc\nNacteno 3 radku\n"},
        {"tab_separated", "h\nx\ty;z\n\t\tw\t\n", "xyz\nw\nNacteno 3 radku\n"},
        {"nul_ends_the_text", "h\nab\0cd;ef\ngh\n"s, "ab\ngh\nNacteno 3 radku\n"},
        {"nul_alone", "h\n\0\n"s, "\nNacteno 2 radku\n"},
        {"bytes_above_127", "h\n\xc4\x8d\xc3\xad;\xff\xfe\n", "\xc4\x8d\xc3\xad\xff\xfe\nNacteno 2 radku\n"},
        {"spaces_and_quotes_kept", "h\n a ;\"b;c\"\n", " a \"bc\"\nNacteno 2 radku\n"},
        {"arguments_ignored",
         "h\nx;y\n",
         "xy\nNacteno 2 radku\n",
         0,
         input_kind::file,
         {{"-v", "other.csv", "--help"}}},
        {"directory_in_place_of_file", "", "Soubor nesel precist.\n", 1, input_kind::directory},
        {"output_to_dev_full",
         "h\nx;y\n",
         "",
         1,
         input_kind::file,
         {{}, output_to::dev_full},
         "Vystup nesel zapsat.\n"},
        {"open_failure_to_dev_full",
         "",
         "",
         1,
         input_kind::missing,
         {{}, output_to::dev_full},
         "Vystup nesel zapsat.\n"},
        {"output_to_closed_pipe",
         "h\nx;y\n",
         "",
         128 + SIGPIPE,
         input_kind::file,
         {{}, output_to::closed_pipe}},
        {"only_delimiters", "h\n;;;\n\t;\r\n\r\r;\n", "\n\n\nNacteno 4 radku\n"},
        {"carriage_returns_only", "h\ra;b\rc\r", "Seznam je prazdny\nNacteno 1 radku\n"},
        {"carriage_returns_after_header", "h\na\rb\rc;d\r\n", "abcd\nNacteno 2 radku\n"},
        // 0x1A ends the input of a stream opened in Windows' text mode; here it is a field's byte.
        {"ctrl_z_in_a_field",
         "h\nbefore;1\nmid\x1a"
         "dle;2\nafter;3\n",
         "before1\nmid\x1a"
         "dle2\nafter3\nNacteno 4 radku\n"},
        {"ctrl_z_alone_on_a_line", "h\na\n\x1a\nb\n", "a\n\x1a\nb\nNacteno 4 radku\n"},
        {"ctrl_z_after_the_header", "h\n\x1a;x\ny\n", "\x1ax\ny\nNacteno 3 radku\n"},
        // The first read takes read_block - 1 bytes: a line feed as its last byte and as the first
        // of the next read, and a table of exactly one read that ends without a line feed.
        {"line_feed_last_in_a_block", "h\n" + repeat("x", read_block - 4) + "\ny\n",
         repeat("x", read_block - 4) + "\ny\nNacteno 3 radku\n"},
        {"line_feed_first_in_a_block", "h\n" + repeat("x", read_block - 3) + "\ny\n",
         repeat("x", read_block - 3) + "\ny\nNacteno 3 radku\n"},
        {"last_line_filling_a_block", "h\n" + repeat("w", read_block - 3),
         repeat("w", read_block - 3) + "\nNacteno 2 radku\n"},
        // A terminal would obey a field's control characters: there they are shown instead.
        {"control_bytes_to_a_file", forging_table,
         "A1Novak100\nA2Svoboda200\nA3\x1b[1A\x1b[2K\x1b[1A\x1b[2KA1Novak999999x\nNacteno 4 radku\n"},
        {"control_bytes_on_a_terminal", forging_table,
         "A1Novak100\nA2Svoboda200\nA3^[[1A^[[2K^[[1A^[[2KA1Novak999999x\nNacteno 4 radku\n", 0,
         input_kind::file, on_terminal},
        // BEL, DEL, 0x01 and Ctrl-Z; a clipboard write (OSC 52); in a UTF-8 table U+009B (CSI),
        // U+0085 and U+009F but not U+00A0, also where a delimiter parts the bytes of U+009B.
        {"kinds_of_control_on_a_terminal",
         "h\nBEL\x07;DEL\x7f;\x01\x1a\n\x1b]52;c;SGk=\x07\n\xc4\x8d\xc2\x9b"
         "2J;\xc2\x85\xc2\x9f\xc2\xa0\n\xc2;\x9b"
         "1J\n\xc2\t\x9b"
         "2J\n\xc2\r\x9b"
         "3J\n",
         "BEL^GDEL^?^A^Z\n^[]52cSGk=^G\n\xc4\x8dM-^[2JM-^EM-^_\xc2\xa0\nM-^[1J\nM-^[2J\nM-^[3J\nNacteno 7 "
         "radku\n",
         0, input_kind::file, on_terminal},
        // Czech text in UTF-8 and in Windows-1250, where the row "ÚŽINA" alone would be valid
        // UTF-8, shows as the same text; so do the 1250 table where the locale names no character
        // set or cannot be loaded. In a table of UTF-8 and 1250 lines, the 1250 reading holds.
        {"utf8_table_on_a_terminal", czech_utf8, czech_shown, 0, input_kind::file, on_terminal},
        {"cp1250_table_on_a_terminal", czech_cp1250, czech_shown, 0, input_kind::file, on_terminal},
        {"cp1250_table_without_a_locale", czech_cp1250, czech_shown, 0, input_kind::file,
         terminal_in({"LC_ALL=", "LC_CTYPE=", "LANG="})},
        {"cp1250_table_in_a_locale_not_installed", czech_cp1250, czech_shown, 0, input_kind::file,
         terminal_in({"LC_ALL=xx_YY.ISO-8859-2"})},
        {"mixed_table_on_a_terminal", "h\nA1;\xc4\x8d\nB2;\xe8\n", "A1ÄŤ\nB2č\nNacteno 3 radku\n", 0,
         input_kind::file, on_terminal},
        // Windows-1250 leaves five bytes undefined: they stand for C1 controls.
        {"cp1250_controls_on_a_terminal", "h\n\x1b[2J\x8a\x07;\x7f\xe8\x9b\n\x81\x83;\x88\x90\x98\n",
         "^[[2JŠ^G^?č›\nM-^AM-^CM-^HM-^PM-^X\nNacteno 3 radku\n", 0, input_kind::file, on_terminal},
        // A terminal in a single-byte character set gets the bytes but C0, DEL and 0x80 to 0x9F.
        {"terminal_in_latin_2", "h\nP\xf8\xedli\x9a;\x1b\x85\xc4\x8d\n",
         "P\xf8\xedliM-^Z^[M-^E\xc4M-^M\nNacteno 2 radku\n", 0, input_kind::file,
         terminal_in({"LC_ALL=cs_CZ.ISO-8859-2"}), "", nullptr, "cs_CZ.ISO-8859-2"},
        {"empty_list_on_a_terminal", "h\n", "Seznam je prazdny\nNacteno 1 radku\n", 0, input_kind::file,
         on_terminal},
    };
    const auto generated = [](std::string name, void (*generate)(e2e_case&)) {
        e2e_case c{std::move(name), "", ""};
        c.generate = generate;
        return c;
    };
    cases.push_back(generated("line_of_50_mb_without_line_feed", [](e2e_case& c) {
        const std::string field = repeat("abcdefghijklmnopqrstuvwxyz", 2'000'000);
        c.input = "h\n" + field;
        c.out = field + "\nNacteno 2 radku\n";
    }));
    // Listed lines that end just before, at and just after the listing buffer's end.
    cases.push_back(generated("listing_buffer_edges", [](e2e_case& c) {
        c.input = "h\n";
        for (const std::size_t size :
             {listing_buffer_size - 1, listing_buffer_size, listing_buffer_size + 1}) {
            c.input += repeat("z", size) + ";" + repeat("y", size % 7) + "\n";
        }
        c.out = expected_listing(c.input);
    }));
    // Shown, a field and the text before its control character longer than the listing buffer,
    // and a line of controls longer than it.
    cases.push_back(generated("long_lines_on_a_terminal", [](e2e_case& c) {
        const std::string letters = repeat("abcdefghijklmnopqrstuvwxyz", 6'000);
        c.input = "h\n" + letters + "\x1b" + letters + "\n" + repeat("\x1b\x7f", 20'000) + "\n";
        c.out = letters + "^[" + letters + "\n" + repeat("^[^?", 20'000) + "\nNacteno 3 radku\n";
        c.options.output = output_to::terminal;
    }));
    cases.push_back(generated("output_fails_part_way", [](e2e_case& c) {
        c.input = "h\n" + repeat("abcdefghij;klm\n", 50'000);
        c.out = expected_listing(c.input).substr(0, 100'000);
        c.status = 1;
        c.options.limits = {{RLIMIT_FSIZE, 100'000}};
        c.err = "Vystup nesel zapsat.\n";
    }));
    cases.push_back(generated("stack_of_32_kib", [](e2e_case& c) {
        c.input = "h\n" + repeat("x", 100'000) + ";y\nz\n";
        c.out = expected_listing(c.input);
        c.options.limits = {{RLIMIT_STACK, 32 << 10}};
    }));
    cases.push_back(generated("million_empty_lines", [](e2e_case& c) {
        c.input = repeat("\n", 1'000'000);
        c.out = repeat("\n", 999'999) + "Nacteno 1000000 radku\n";
    }));
    cases.push_back(generated("bundled_sample", [](e2e_case& c) {
        c.input = read_file(TOB_SAMPLE_TABLE);
        c.out = expected_listing(c.input);
    }));
    cases.push_back(generated("random_bytes_200_kb", [](e2e_case& c) {
        c.input = random_bytes(200'000);
        c.out = expected_listing(c.input);
    }));
    return cases;
}

class EndToEnd : public testing::TestWithParam<e2e_case> {};

// Where the outputs are large, say where they part instead of printing them whole.
testing::AssertionResult same_bytes(const std::string& got, const std::string& want) {
    if (got == want) { return testing::AssertionSuccess(); }
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) { ++at; }
    return testing::AssertionFailure()
           << "got " << got.size() << " bytes, want " << want.size() << "; first difference at byte " << at
           << ": got \"" << testing::PrintToString(got.substr(at, 40)) << "\", want \""
           << testing::PrintToString(want.substr(at, 40)) << "\"";
}

TEST_P(EndToEnd, ExactOutputAndStatus) {
    e2e_case c = GetParam();
    if (c.generate != nullptr) { c.generate(c); }
    for (const auto& [resource, value] : c.options.limits) {
        if (emulator() != nullptr && (resource == RLIMIT_AS || resource == RLIMIT_STACK)) {
            GTEST_SKIP() << emulator()
                         << " does not hold the program to its own stack and address-space limits";
        }
    }
    if (!c.locale.empty()) {
        // This process reads locales as the program does.
        const bool installed = std::setlocale(LC_CTYPE, c.locale.c_str()) != nullptr;
        std::setlocale(LC_CTYPE, "C");
        if (!installed) { GTEST_SKIP() << "the locale " << c.locale << " is not installed for this machine"; }
    }
    if (windows_program() != nullptr) {
        if (!plain(c)) { GTEST_SKIP() << "runs on Linux only"; }
        c.out = with_crlf(c.out);
        c.err = with_crlf(c.err);
    }
    if (c.options.output == output_to::terminal) { c.out = with_crlf(c.out); } // the line discipline's
    const std::string dir = make_temp_dir();
    const std::string input = dir + "/tob_10.csv";
    if (c.kind == input_kind::file) {
        write_file(input, c.input);
    } else if (c.kind == input_kind::directory) {
        ASSERT_EQ(mkdir(input.c_str(), 0700), 0);
    }
    const run_result got = run_program(dir, c.options);
    EXPECT_EQ(got.status, c.status);
    EXPECT_TRUE(same_bytes(got.out, c.out));
    EXPECT_EQ(got.err, c.err);
    EXPECT_TRUE(clean_under_valgrind(got, c.name));
    remove_dir(dir);
}

INSTANTIATE_TEST_SUITE_P(Table, EndToEnd, testing::ValuesIn(e2e_cases()),
                         [](const testing::TestParamInfo<e2e_case>& info) { return info.param.name; });

} // namespace
