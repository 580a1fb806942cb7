// Splitting one line into a record.
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "record.hpp"

namespace {

using namespace std::string_literals;

struct record_deleter {
    void operator()(record* rec) const noexcept { free_record(rec); }
};
using record_ptr = std::unique_ptr<record, record_deleter>;
struct text_deleter {
    void operator()(char* text) const noexcept { std::free(text); }
};
using text_ptr = std::unique_ptr<char, text_deleter>;

std::vector<std::string> stored_fields(const record& rec) {
    std::vector<std::string> fields;
    for (const char* text : rec.fields) { fields.emplace_back(text == nullptr ? "<null>" : text); }
    while (!fields.empty() && fields.back() == "<null>") { fields.pop_back(); }
    return fields;
}

struct parse_case {
    std::string line;
    std::vector<std::string> fields; // slots from 0; every later slot is null
};

TEST(ParseRecord, StoresTheLinesNonEmptyFieldsInOrder) {
    const std::vector<parse_case> cases = {
        {"a;b;c", {"a", "b", "c"}},
        {"a;;b", {"a", "b"}},
        {";a", {"a"}},
        {";;;a;;;", {"a"}},
        {"x\ty;z", {"x", "y", "z"}},
        {"a;b\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"\n", {}},
        {"", {}},
        {";\t\r\n;;", {}},
        {";;1;;2;3;4;5;6;7;8;9;10;11;;12;;13\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
        {" a ; b ", {" a ", " b "}},
        {"\"a;b\"", {"\"a", "b\""}},
        {"ab\0cd;ef"s, {"ab"}},
        {"\0a;b"s, {}},
        {"\xc4\x8d;\xff\x80\n", {"\xc4\x8d", "\xff\x80"}},
        {"a,b.c|d", {"a,b.c|d"}},
    };
    for (const parse_case& c : cases) {
        std::string line = c.line;
        const record_ptr rec(parse_record(line.data(), line.size()));
        ASSERT_NE(rec, nullptr) << testing::PrintToString(c.line);
        EXPECT_EQ(stored_fields(*rec), c.fields) << testing::PrintToString(c.line);
        EXPECT_EQ(rec->next, nullptr);
    }
}

TEST(ParseRecord, CopiesFieldsOutOfTheLine) {
    std::string line = "alpha;beta\n";
    const record_ptr rec(parse_record(line.data(), line.size()));
    ASSERT_NE(rec, nullptr);
    // The delimiter after each field taken is overwritten; the copies stay as they were.
    EXPECT_EQ(line, "alpha\0beta\0"s);
    line.assign(line.size(), 'z');
    EXPECT_STREQ(rec->fields[0], "alpha");
    EXPECT_STREQ(rec->fields[1], "beta");
}

TEST(DuplicateString, CopiesIntoWholeWordsEndingInNul) {
    constexpr std::size_t word = sizeof(text_word);
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, word - 1, word, word + 1, 100'000 * word}) {
        const std::string source = std::string(size, 'q') + "0123456789abcdef";
        const std::string_view text(source.data(), size);
        const std::size_t block = (size / word + 1) * word;
        // Only the text readable: every byte after it is NUL.
        const text_ptr alone(duplicate_string(text, size));
        ASSERT_NE(alone, nullptr);
        EXPECT_EQ(std::string_view(alone.get(), block), std::string(text) + std::string(block - size, '\0'))
            << size;
        // The rest of the source readable too: the whole block is copied from it.
        const text_ptr words(duplicate_string(text, source.size() + 1));
        ASSERT_NE(words, nullptr);
        EXPECT_EQ(std::string_view(words.get(), size + 1), std::string(text) + '\0') << size;
    }
}

} // namespace
