// The record list: appending, finding the end, listing and releasing.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "memory_output.hpp"
#include "record_list.hpp"
#include "reference_listing.hpp"

namespace {

// A list made by appending each line in turn at its tail, released at the end of the test.
struct test_list {
    record* head = nullptr;
    explicit test_list(const std::vector<std::string>& lines) {
        record** tail = &head;
        for (std::string line : lines) {
            EXPECT_TRUE(append_record(tail, line.data(), line.size()));
            tail = &(*tail)->next;
        }
    }
    test_list(const test_list&) = delete;
    test_list& operator=(const test_list&) = delete;
    ~test_list() { free_list(&head); }
};

std::string listing(record* const* list) {
    memory_output out;
    if (out.file == nullptr) {
        ADD_FAILURE() << "open_memstream failed";
        return {};
    }
    print_list(list, out.file);
    return out.text();
}

TEST(PrintList, WritesTheListedFieldsOfEachRecordRunTogether) {
    const std::string more_fields = numbered_line(listed_fields + 2);
    std::string listed;
    for (std::size_t k = 0; k < listed_fields; ++k) { listed += reference_fields(more_fields)[k]; }
    const struct {
        std::vector<std::string> lines;
        std::string out;
    } cases[] = {
        {{}, "Seznam je prazdny\n"},
        {{""}, "\n"},
        {{";;\n"}, "\n"},
        {{"ab;cd;ef"}, "abcdef\n"},
        {{more_fields}, listed + "\n"},
        {{"x;y", "", "z"}, "xy\n\nz\n"},
    };
    for (const auto& c : cases) {
        const test_list list(c.lines);
        EXPECT_EQ(listing(&list.head), c.out) << testing::PrintToString(c.lines).substr(0, 60);
    }
}

// A stream that takes `room` bytes and then fails every write, counting the bytes offered.
struct failing_sink {
    std::size_t room;
    std::size_t offered = 0;
};

ssize_t failing_write(void* cookie, const char* /*buf*/, std::size_t size) {
    auto* sink = static_cast<failing_sink*>(cookie);
    sink->offered += size;
    const std::size_t taken = std::min(size, sink->room);
    sink->room -= taken;
    return taken > 0 ? static_cast<ssize_t>(taken) : -1;
}

TEST(PrintList, StopsAtTheFirstFailedWrite) {
    // Lines of fields, empty lines, which end where no field is written, and lines of more fields
    // than are listed, with control characters to show.
    std::string controls_line = "\x1b;\x7f";
    controls_line += numbered_line(listed_fields + 2);
    for (const controls how : {controls::sent, controls::shown}) {
        for (const std::string& line : {std::string("abc;def;ghi"), std::string(), controls_line}) {
            const test_list list(std::vector<std::string>(200'000, line));
            failing_sink sink{10'000};
            std::FILE* out = fopencookie(&sink, "w", {nullptr, failing_write, nullptr, nullptr});
            ASSERT_NE(out, nullptr);
            print_list(&list.head, out, how);
            EXPECT_NE(std::ferror(out), 0);
            // The listing goes out a bufferful at a time: once a write has failed, at most the
            // rest of that bufferful is offered again, out of 2 MB of lines.
            EXPECT_LT(sink.offered, 2 * listing_buffer_size + 2 * BUFSIZ)
                << "of 200,000 lines: " << testing::PrintToString(line);
            std::fclose(out);
        }
    }
}

TEST(ListedUtf8, HoldsWhenEveryListedFieldIsValidUtf8) {
    const std::string ninth_field = numbered_line(listed_fields) + ";\xff";
    const struct {
        std::string line;
        bool utf8;
    } cases[] = {
        {"", true},
        {"plain;ascii", true},
        {"\xc4\x8d;\xe2\x82\xac;\xf0\x9f\x98\x80", true}, // two, three and four bytes
        {"\xf4\x8f\xbf\xbf\xed\x9f\xbf", true},           // U+10FFFF, U+D7FF
        {ninth_field, true},                              // a field not listed is not read
        {"\xc3;\xa9", false},                             // a sequence cut by a delimiter
        {"a\xe2\x82", false},                             // cut by the field's end
        {"\x80", false},                                  // a continuation byte alone
        {"\xc2\x41", false},                              // a lead byte before ASCII
        {"\xc0\xaf", false},                              // overlong
        {"\xe0\x80\xaf", false},
        {"\xed\xa0\x80", false},     // a surrogate
        {"\xf4\x90\x80\x80", false}, // above U+10FFFF
        {"\xf8\x88\x80\x80\x80", false},
    };
    for (const auto& c : cases) {
        const test_list list({c.line});
        EXPECT_EQ(listed_utf8(*list.head), c.utf8) << testing::PrintToString(c.line);
    }
}

TEST(RecordList, AppendsInOrderAndFindsTheLast) {
    record* head = nullptr;
    EXPECT_EQ(find_last(&head), nullptr);
    std::string first = "one";
    ASSERT_TRUE(append_record(&head, first.data(), first.size()));
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(find_last(&head), head);
    std::string second = "two";
    ASSERT_TRUE(append_record(&head, second.data(), second.size()));
    EXPECT_STREQ(head->fields[0], "one");
    ASSERT_NE(head->next, nullptr);
    EXPECT_STREQ(head->next->fields[0], "two");
    EXPECT_EQ(find_last(&head), head->next);
    EXPECT_EQ(head->next->next, nullptr);

    // Appending at the last record's link gives the same list as appending at the head.
    std::string third = "three";
    ASSERT_TRUE(append_record(&head->next->next, third.data(), third.size()));
    EXPECT_STREQ(find_last(&head)->fields[0], "three");
    EXPECT_EQ(listing(&head), "one\ntwo\nthree\n");

    EXPECT_TRUE(free_list(&head));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(free_list(&head));
    EXPECT_EQ(listing(&head), "Seznam je prazdny\n");
}

} // namespace
