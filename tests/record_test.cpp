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

std::vector<std::string> stored_fields(const record& rec)
{
    std::vector<std::string> fields;
    for (const char* text : rec.fields) {
        fields.emplace_back(text == nullptr ? "<null>" : text);
    }
    while (!fields.empty() && fields.back() == "<null>") {
        fields.pop_back();
    }
    return fields;
}

struct parse_case {
    std::string line;
    std::vector<std::string> fields; // slots from 0; every later slot is null
};

TEST(ParseRecord, StoresTheLinesNonEmptyFieldsInOrder)
{
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
        {"f1;f2;f3;f4;f5;f6;f7;f8;f9;f10;f11;f12;f13;f14;f15",
         {"f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10", "f11", "f12"}},
        {";;1;;2;3;4;5;6;7;8;9;10;11;;12;;13\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
        {" a ; b ", {" a ", " b "}},
        {"\"a;b\"", {"\"a", "b\""}},
        {"ab\0cd;ef"s, {"ab"}},
        {"\0a;b"s, {}},
        {"\xc4\x8d;\xff\x80\n", {"\xc4\x8d", "\xff\x80"}},
        {"a,b.c|d", {"a,b.c|d"}},
        // Fields are copied a word at a time only where the line has the bytes: here a whole
        // word after the first field would take one byte past the line's NUL.
        {"0123456789abcdef;12345", {"0123456789abcdef", "12345"}},
    };
    for (const parse_case& c : cases) {
        std::string line = c.line;
        const record_ptr rec(parse_record(line.data()));
        ASSERT_NE(rec, nullptr) << testing::PrintToString(c.line);
        EXPECT_EQ(stored_fields(*rec), c.fields) << testing::PrintToString(c.line);
        EXPECT_EQ(rec->next, nullptr);
    }
}

TEST(ParseRecord, CopiesFieldsOutOfTheLine)
{
    std::string line = "alpha;beta\n";
    const record_ptr rec(parse_record(line.data()));
    ASSERT_NE(rec, nullptr);
    // The delimiter after each field taken is overwritten; the copies stay as they were.
    EXPECT_EQ(line, "alpha\0beta\0"s);
    line.assign(line.size(), 'z');
    EXPECT_STREQ(rec->fields[0], "alpha");
    EXPECT_STREQ(rec->fields[1], "beta");
}

TEST(DuplicateString, CopiesExactlyWithATerminatingNul)
{
    for (const std::string_view text : {""s, "x"s, "two words"s, std::string(100'000, 'q')}) {
        const text_ptr copy(duplicate_string(text));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(std::string_view(copy.get(), text.size() + 1), std::string(text) + '\0');
    }
    // A view of a longer text copies only the viewed bytes.
    const text_ptr part(duplicate_string(std::string_view("abcdef").substr(1, 3)));
    EXPECT_STREQ(part.get(), "bcd");
}

} // namespace
