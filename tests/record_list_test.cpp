// The record list: appending, finding the end, listing and releasing.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "memory_output.hpp"
#include "record_list.hpp"

namespace {

// A list made by appending each line in turn, released at the end of the test.
struct test_list {
    record* head = nullptr;
    explicit test_list(const std::vector<std::string>& lines)
    {
        for (std::string line : lines) {
            EXPECT_TRUE(append_record(&head, line.data()));
        }
    }
    test_list(const test_list&) = delete;
    test_list& operator=(const test_list&) = delete;
    ~test_list() { free_list(&head); }
};

std::string listing(record* const* list)
{
    memory_output out;
    if (out.file == nullptr) {
        ADD_FAILURE() << "open_memstream failed";
        return {};
    }
    print_list(list, out.file);
    return out.text();
}

TEST(PrintList, WritesTheFirstEightFieldsOfEachRecordRunTogether)
{
    const struct {
        std::vector<std::string> lines;
        std::string out;
    } cases[] = {
        {{}, "Seznam je prazdny\n"},
        {{""}, "\n"},
        {{";;\n"}, "\n"},
        {{"ab;cd;ef"}, "abcdef\n"},
        {{"1;2;3;4;5;6;7;8;9;10"}, "12345678\n"},
        {{"x;y", "", "z"}, "xy\n\nz\n"},
        {{std::string(70'000, 'L') + ";" + std::string(70'000, 'M'), "tail"},
         std::string(70'000, 'L') + std::string(70'000, 'M') + "\ntail\n"},
    };
    for (const auto& c : cases) {
        const test_list list(c.lines);
        EXPECT_EQ(listing(&list.head), c.out) << testing::PrintToString(c.lines).substr(0, 60);
    }
}

TEST(PrintList, StopsAndLeavesTheErrorFlagWhenTheOutputFails)
{
    const test_list list(std::vector<std::string>(20'000, "abc;def;ghi"));
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    print_list(&list.head, full);
    EXPECT_TRUE(std::fflush(full) != 0 || std::ferror(full) != 0);
    std::fclose(full);
}

TEST(RecordList, AppendsInOrderAndFindsTheLast)
{
    record* head = nullptr;
    EXPECT_EQ(find_last(&head), nullptr);
    std::string first = "one";
    ASSERT_TRUE(append_record(&head, first.data()));
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(find_last(&head), head);
    std::string second = "two";
    ASSERT_TRUE(append_record(&head, second.data()));
    EXPECT_STREQ(head->fields[0], "one");
    ASSERT_NE(head->next, nullptr);
    EXPECT_STREQ(head->next->fields[0], "two");
    EXPECT_EQ(find_last(&head), head->next);
    EXPECT_EQ(head->next->next, nullptr);

    // Appending at the last record's link gives the same list as appending at the head.
    std::string third = "three";
    ASSERT_TRUE(append_record(&head->next->next, third.data()));
    EXPECT_STREQ(find_last(&head)->fields[0], "three");
    EXPECT_EQ(listing(&head), "one\ntwo\nthree\n");

    EXPECT_TRUE(free_list(&head));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(free_list(&head));
    EXPECT_EQ(listing(&head), "Seznam je prazdny\n");
}

} // namespace
