// The run on a table read from a stream that fails part way, as a broken disk would.
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "list_table.hpp"
#include "memory_output.hpp"

namespace {

// A stream that yields `limit` bytes of `text` and then fails.
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

TEST(ListTable, ReadErrorGivesTheMessageInsteadOfAListing)
{
    const std::string text = "h\n" + std::string(100'000, 'a') + "\nb;c\nd\n";
    // Before the first byte, inside the header, inside a long line, and before the last byte.
    for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{70'000}, text.size() - 1}) {
        failing_source source{text, limit, 0};
        std::FILE* in = fopencookie(&source, "r", {failing_read, nullptr, nullptr, nullptr});
        memory_output out;
        ASSERT_NE(in, nullptr);
        ASSERT_NE(out.file, nullptr);
        EXPECT_EQ(list_table(in, out.file), 1) << limit;
        EXPECT_EQ(out.text(), "Soubor nesel precist.\n") << limit;
        std::fclose(in);
    }
}

} // namespace
