// Allocation failure: every allocation the program makes is made to fail in turn.
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <string>

#include "load_table.hpp"
#include "record_list.hpp"
#include "run_program.hpp"

// The replacements below hand out malloc's blocks from operator new and return them with free;
// g++ cannot see that they pair up.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

long live_blocks = 0;    // blocks allocated and not yet released
long fail_countdown = 0; // when positive, the allocation that brings it to 0 fails
bool failed_one = false; // the countdown has made an allocation fail

void* allocate(std::size_t size) noexcept
{
    if (fail_countdown > 0 && --fail_countdown == 0) {
        failed_one = true;
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        ++live_blocks;
    }
    return block;
}

void release(void* block) noexcept
{
    if (block != nullptr) {
        --live_blocks;
        std::free(block);
    }
}

// Arms the countdown so that the nth allocation from now fails.
void fail_allocation(long nth)
{
    fail_countdown = nth;
    failed_one = false;
}

} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}
void* operator new(std::size_t size)
{
    void* block = allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}
void* operator new[](std::size_t size)
{
    return ::operator new(size);
}
void operator delete(void* block) noexcept
{
    release(block);
}
void operator delete[](void* block) noexcept
{
    release(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    release(block);
}

namespace {

constexpr const char* fifteen_fields = "f1;f2;f3;f4;f5;f6;f7;f8;f9;f10;f11;f12;f13;f14;f15\n";

TEST(AllocationFailure, ParseRecordReturnsNullAndKeepsNothing)
{
    long nth = 1;
    for (;; ++nth) {
        std::string line = fifteen_fields;
        const long before = live_blocks;
        fail_allocation(nth);
        record* rec = parse_record(line.data());
        fail_countdown = 0;
        if (!failed_one) {
            ASSERT_NE(rec, nullptr);
            free_record(rec);
            break;
        }
        EXPECT_EQ(rec, nullptr) << "allocation " << nth;
        EXPECT_EQ(live_blocks, before) << "allocation " << nth;
        free_record(rec);
    }
    // The record and its twelve field copies: each one was made to fail once.
    EXPECT_EQ(nth - 1, 13);
}

TEST(AllocationFailure, AppendRecordLeavesTheListUnchanged)
{
    record* head = nullptr;
    for (std::string line : {"a;b", "c;d"}) {
        ASSERT_TRUE(append_record(&head, line.data()));
    }
    record* const last = find_last(&head);
    for (long nth = 1;; ++nth) {
        std::string line = fifteen_fields;
        const long before = live_blocks;
        fail_allocation(nth);
        const bool appended = append_record(&head, line.data());
        fail_countdown = 0;
        if (!failed_one) {
            EXPECT_TRUE(appended);
            EXPECT_STREQ(find_last(&head)->fields[11], "f12");
            break;
        }
        EXPECT_FALSE(appended) << "allocation " << nth;
        EXPECT_EQ(live_blocks, before) << "allocation " << nth;
        EXPECT_EQ(find_last(&head), last) << "allocation " << nth;
        EXPECT_EQ(last->next, nullptr);
    }
    free_list(&head);
}

TEST(AllocationFailure, LoadTableReportsNoMemoryAndLeavesAListThatFrees)
{
    // Long lines make the line buffer grow several times between the records.
    const std::string input =
        "header\n" + std::string(5000, 'a') + ";b\nc;d\n" + std::string(20'000, 'e') + "\n";
    for (long nth = 1;; ++nth) {
        std::FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
        ASSERT_NE(in, nullptr);
        const long before = live_blocks;
        record* list = nullptr;
        fail_allocation(nth);
        const load_result got = load_table(in, &list);
        fail_countdown = 0;
        std::fclose(in);
        free_list(&list);
        EXPECT_EQ(live_blocks, before) << "allocation " << nth;
        if (!failed_one) {
            EXPECT_EQ(got.status, load_status::loaded);
            EXPECT_EQ(got.lines, 4U);
            EXPECT_GT(nth, 8); // three records, their fields, and the buffer's growth
            break;
        }
        EXPECT_EQ(got.status, load_status::no_memory) << "allocation " << nth;
    }
}

TEST(AllocationFailure, ProgramUnderAnAddressSpaceLimitReportsIt)
{
#if defined(TOB_SANITIZED)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit this test could set";
#else
    const std::string dir = make_temp_dir();
    std::string table = "h\n";
    for (int i = 0; i < 400'000; ++i) {
        table += "alpha;beta;gamma;delta;epsilon;zeta;eta;theta;iota;kappa\n";
    }
    write_file(dir + "/tob_10.csv", table);
    run_options options;
    options.address_space = rlim_t{64} << 20;
    const run_result got = run_program(dir, options);
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, "Nedostatek pameti.\n");
    EXPECT_EQ(got.err, "");
    remove_dir(dir);
#endif
}

} // namespace
