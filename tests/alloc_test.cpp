// Allocation failure: the built program with every allocation from the n-th on refused, and
// under a limit on its address space.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "list_table.hpp"
#include "reference_listing.hpp"
#include "run_program.hpp"

namespace {

using namespace std::string_literals;

struct alloc_report {
    long requests = -1; // allocations asked for
    long live = -1;     // blocks not freed at exit
    std::string library;
};

// Runs the program with the failing allocator preloaded; n = 0 refuses nothing.
run_result run_failing_from(const std::string& dir, long n, alloc_report& report) {
    run_options options;
    options.env = {"LD_PRELOAD="s + TOB_FAIL_ALLOC_LIBRARY, "TOB_FAIL_FROM=" + std::to_string(n),
                   "TOB_ALLOC_REPORT=" + dir + "/.alloc"};
    const run_result got = run_program(dir, options);
    const std::string text = read_file(dir + "/.alloc");
    char library[256] = "";
    EXPECT_EQ(std::sscanf(text.c_str(), "%ld %ld %255s", &report.requests, &report.live, library), 3) << text;
    report.library = library;
    return got;
}

TEST(AllocationFailure, EveryRefusedAllocationGivesTheMessageAndFreesEverything) {
#if defined(TOB_SANITIZED)
    GTEST_SKIP() << "a sanitized program allocates through the sanitizer, which no preload can replace";
#endif
    const std::string dir = make_temp_dir();
    // A line that takes the read buffer several doublings to hold.
    const std::string table = "h;h\n" + std::string(16 * read_block, 'L') + ";x\n\n;;\n" +
                              "f1;f2;f3;f4;f5;f6;f7;f8;f9;f10;f11;f12;f13;f14;f15\n" + "a;b\r\n" +
                              "ab\0cd;e\n"s + "\n" + "last;line";
    write_file(dir + "/tob_10.csv", table);
    const std::string listing = expected_listing(table);

    alloc_report normal;
    const run_result plain = run_failing_from(dir, 0, normal);
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(plain.out, listing);
    EXPECT_EQ(normal.live, 0);
    EXPECT_GT(normal.requests, 25); // the stream, the line buffer, 8 records and their fields
    // The program runs on the allocator it was linked with, not only links it.
    EXPECT_EQ(normal.library.find("mimalloc") != std::string::npos, TOB_WITH_MIMALLOC) << normal.library;

    for (long n = 1; n <= normal.requests + 1; ++n) {
        alloc_report report;
        const run_result got = run_failing_from(dir, n, report);
        if (got.status == 0) {
            EXPECT_EQ(got.out, listing) << "refused from allocation " << n;
        } else {
            EXPECT_EQ(got.status, 1) << "refused from allocation " << n;
            EXPECT_EQ(got.out, "Nedostatek pameti.\n") << "refused from allocation " << n;
        }
        EXPECT_EQ(got.err, "") << "refused from allocation " << n;
        EXPECT_EQ(report.live, 0) << "refused from allocation " << n;
        EXPECT_TRUE(clean_under_valgrind(got, "refused from allocation " + std::to_string(n), n > 1));
        if (n == normal.requests + 1) { EXPECT_EQ(got.status, 0) << "nothing was refused"; }
    }
    remove_dir(dir);
}

TEST(AllocationFailure, ProgramUnderAnAddressSpaceLimitReportsIt) {
#if defined(TOB_SANITIZED)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit this test could set";
#else
    if (emulator() != nullptr) {
        GTEST_SKIP() << emulator() << " does not hold the program to its own address-space limit";
    }
    // Whatever the allocator, a line takes at least its record of 13 pointers and its ten
    // fields with their NULs, 109 bytes on a 32-bit machine: a million lines exceed the limit.
    std::string many_lines = "h\n";
    for (int i = 0; i < 1'000'000; ++i) {
        many_lines += "alpha;beta;gamma;delta;epsilon;zeta;eta;theta;iota;kappa\n";
    }
    // A line of 80 MB cannot be held, and the short line after it can: reading must stop there.
    std::string long_line = "h\n" + std::string(80'000'000, ';') + "\nz\n";
    for (std::size_t i = 2; i < long_line.size() - 3; i += 2) { long_line[i] = 'a'; }
    for (const std::string* table : {&many_lines, &long_line}) {
        const std::string dir = make_temp_dir();
        write_file(dir + "/tob_10.csv", *table);
        run_options options;
        options.limits = {{RLIMIT_AS, rlim_t{64} << 20}};
        const run_result got = run_program(dir, options);
        EXPECT_EQ(got.status, 1) << table->size() << "-byte table";
        EXPECT_EQ(got.out, "Nedostatek pameti.\n") << table->size() << "-byte table";
        EXPECT_EQ(got.err, "");
        remove_dir(dir);
    }
#endif
}

} // namespace
