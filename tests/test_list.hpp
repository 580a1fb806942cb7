// Lists made for a test from lines of text, and what print_list makes of them.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "listing.hpp"
#include "memory_output.hpp"
#include "record_list.hpp"

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

// What print_list writes for the list `list`.
inline std::string listing(record* const* list, reader how = reader::file) {
    memory_output out;
    if (out.file == nullptr) {
        ADD_FAILURE() << "open_memstream failed";
        return {};
    }
    print_list(list, out.file, how);
    return out.text();
}
