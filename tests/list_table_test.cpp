// The run on a table read from a stream that fails part way, as a broken disk would, and
// written to one that fails part way, as a full disk would.
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "list_table.hpp"
#include "memory_output.hpp"

namespace {

// A stream of `text` whose read at byte `fail_at` fails once, as a bad sector would; reading
// could go on after it.
struct failing_source {
    std::string text;
    std::size_t fail_at;
    std::size_t pos = 0;
    bool failed = false;
};

ssize_t failing_read(void* cookie, char* buf, std::size_t size) {
    auto* source = static_cast<failing_source*>(cookie);
    if (source->pos == source->fail_at && !source->failed) {
        source->failed = true;
        errno = EIO;
        return -1;
    }
    const std::size_t end = source->pos < source->fail_at ? source->fail_at : source->text.size();
    const std::size_t count = std::min(size, end - source->pos);
    std::memcpy(buf, source->text.data() + source->pos, count);
    source->pos += count;
    return static_cast<ssize_t>(count);
}

TEST(ListTable, ReadErrorGivesTheMessageInsteadOfAListing) {
    const std::string text = "h\n" + std::string(read_block + 10, 'a') + "\nb;c\nd\n";
    // Before the first byte, inside the header, inside a line longer than a read, and before
    // the last byte.
    for (const std::size_t at : {std::size_t{0}, std::size_t{1}, read_block + 5, text.size() - 1}) {
        failing_source source{text, at};
        std::FILE* in = fopencookie(&source, "r", {failing_read, nullptr, nullptr, nullptr});
        memory_output out;
        ASSERT_NE(in, nullptr);
        ASSERT_NE(out.file, nullptr);
        EXPECT_EQ(list_table(in, out.file, find_terminal(out.file)), 1) << at;
        EXPECT_EQ(out.text(), "Soubor nesel precist.\n") << at;
        EXPECT_TRUE(source.failed) << at;
        std::fclose(in);
    }
}

TEST(ListTable, NothingFollowsAFailedWriteOfTheListing) {
    // A disk that refuses one write and then has room again: the first bufferful of a listing of
    // 25,000 lines, then nothing, and no summary; an empty list's message, then nothing.
    std::string listed;
    for (int i = 0; i < 25'000; ++i) { listed += "xxxx\n"; }
    const struct {
        std::string table;
        std::size_t room;
        std::string taken;
    } cases[] = {
        {"h\n" + listed, 65'536, listed.substr(0, 65'536)},
        {"h\n", 0, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.table;
        std::FILE* in = fmemopen(text.data(), text.size(), "r");
        flaky_output out(c.room, 1);
        ASSERT_NE(in, nullptr);
        ASSERT_NE(out.file, nullptr);
        EXPECT_EQ(list_table(in, out.file, find_terminal(out.file)), 0);
        EXPECT_NE(std::ferror(out.file), 0);
        EXPECT_EQ(out.taken, c.taken) << c.table.size();
        std::fclose(in);
    }
}

} // namespace
