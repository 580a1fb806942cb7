// The record list: appending and finding the last record, and releasing.
#include <gtest/gtest.h>
#include <string>

#include "test_list.hpp"

namespace {

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
