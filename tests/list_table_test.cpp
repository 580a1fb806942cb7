// The read loop on tables held in memory: line ends across block edges, and read errors.
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "list_table.hpp"
#include "load_table.hpp"
#include "memory_output.hpp"
#include "record_list.hpp"
#include "reference_listing.hpp"

namespace {

// What the program prints for the table `input`.
std::string list_from_memory(std::string input)
{
    std::FILE* in = fmemopen(input.data(), input.size(), "r");
    memory_output out;
    if (in == nullptr || out.file == nullptr) {
        ADD_FAILURE() << "cannot open memory streams";
        return {};
    }
    EXPECT_EQ(list_table(in, out.file), 0);
    return out.text();
}

TEST(LoadTable, LinesAcrossTheEdgesOfReadBlocks)
{
    constexpr std::size_t block = 65536;
    const std::string cases[] = {
        std::string(block - 1, 'h') + "\na;b\n",          // line feed is the block's last byte
        std::string(block, 'h') + "\na;b\n",              // line feed is the next block's first byte
        "h\n" + std::string(block - 5, 'x') + ";yz\nw\n", // a field split by the edge
        "h\n" + std::string(block - 2, ';') + "\n;q", // an empty record, then a last line without line feed
        "h\n" + std::string(3 * block + 7, 'r') + "\ns\n",
    };
    for (const std::string& input : cases) {
        EXPECT_EQ(list_from_memory(input), expected_listing(input)) << input.size();
    }
}

// A stream that yields `limit` bytes of `text` and then fails as a broken disk would.
struct failing_source {
    std::string text;
    std::size_t limit;
    std::size_t pos;
};

ssize_t failing_read(void* cookie, char* buf, std::size_t size)
{
    auto* source = static_cast<failing_source*>(cookie);
    if (source->pos >= source->limit) {
        errno = EIO;
        return -1;
    }
    const std::size_t count = std::min(size, source->limit - source->pos);
    std::memcpy(buf, source->text.data() + source->pos, count);
    source->pos += count;
    return static_cast<ssize_t>(count);
}

TEST(LoadTable, ReadErrorIsReportedWithTheLinesSoFarKept)
{
    const std::string text = "h\n" + std::string(100'000, 'a') + "\nb;c\nd\n";
    const struct {
        std::size_t limit;         // bytes delivered before the error
        std::uint64_t whole_lines; // lines complete by then
        std::size_t records;       // data lines among them
    } cases[] = {{0, 0, 0}, {1, 0, 0}, {70'000, 1, 0}, {100'003, 2, 1}, {text.size() - 1, 3, 2}};
    for (const auto& c : cases) {
        failing_source source{text, c.limit, 0};
        std::FILE* in = fopencookie(&source, "r", {failing_read, nullptr, nullptr, nullptr});
        ASSERT_NE(in, nullptr);
        record* list = nullptr;
        const load_result got = load_table(in, &list);
        EXPECT_EQ(got.status, load_status::read_failed) << c.limit;
        EXPECT_EQ(got.lines, c.whole_lines) << c.limit;
        // The stored records are the complete data lines; the caller releases them.
        std::size_t stored = 0;
        for (const record* rec = list; rec != nullptr; rec = rec->next) {
            ++stored;
        }
        EXPECT_EQ(stored, c.records) << c.limit;
        free_list(&list);
        std::fclose(in);
    }
}

} // namespace
