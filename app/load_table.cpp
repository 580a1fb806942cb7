#include "load_table.hpp"

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "record_list.hpp"

namespace {

// The input is read in blocks of this size, whatever the length of its lines.
constexpr std::size_t block_size = std::size_t{1} << 16;

// The line being assembled: its bytes so far, with room for a terminating NUL.
struct line_buffer {
    char* bytes;
    std::size_t size;
    std::size_t capacity;
};

// Appends `count` bytes and keeps at least one byte free after them for a NUL, growing the
// buffer by doubling. Returns false, with the buffer unchanged, when it cannot grow.
[[nodiscard]] bool append_bytes(line_buffer& line, const char* from, std::size_t count) noexcept
{
    if (count >= line.capacity - line.size) {
        std::size_t capacity = line.capacity == 0 ? 256 : line.capacity;
        while (count >= capacity - line.size) {
            if (capacity > std::numeric_limits<std::size_t>::max() / 2) {
                return false;
            }
            capacity *= 2;
        }
        auto* grown = static_cast<char*>(std::malloc(capacity));
        if (grown == nullptr) {
            return false;
        }
        if (line.size > 0) {
            std::memcpy(grown, line.bytes, line.size);
        }
        std::free(line.bytes);
        line.bytes = grown;
        line.capacity = capacity;
    }
    std::memcpy(line.bytes + line.size, from, count);
    line.size += count;
    return true;
}

// Everything the loop carries from one line to the next.
struct table_reader {
    record** end; // the null link that ends the list: the head, then the last `next`
    std::uint64_t lines;
    line_buffer radek;
};

// Counts the assembled line and stores it as a record unless it is the header.
[[nodiscard]] bool take_line(table_reader& reader) noexcept
{
    ++reader.lines;
    if (reader.lines == 1) {
        return true;
    }
    reader.radek.bytes[reader.radek.size] = '\0';
    reader.radek.size = 0;
    if (!append_record(reader.end, reader.radek.bytes)) {
        return false;
    }
    reader.end = &(*reader.end)->next;
    return true;
}

[[nodiscard]] load_status read_lines(std::FILE* in, table_reader& reader) noexcept
{
    std::array<char, block_size> block; // filled by fread, never read beyond what it filled
    bool open_line = false;             // bytes of a line have been read but not its end
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), in);
        if (got == 0) {
            break;
        }
        const char* pos = block.data();
        const char* const stop = pos + got;
        while (pos < stop) {
            const auto* newline =
                static_cast<const char*>(std::memchr(pos, '\n', static_cast<std::size_t>(stop - pos)));
            const char* piece_end = newline != nullptr ? newline + 1 : stop;
            // The header is only counted, so its bytes are never kept.
            if (reader.lines > 0 &&
                !append_bytes(reader.radek, pos, static_cast<std::size_t>(piece_end - pos))) {
                return load_status::no_memory;
            }
            pos = piece_end;
            open_line = newline == nullptr;
            if (!open_line && !take_line(reader)) {
                return load_status::no_memory;
            }
        }
    }
    if (std::ferror(in) != 0) {
        return load_status::read_failed;
    }
    if (open_line && !take_line(reader)) {
        return load_status::no_memory;
    }
    return load_status::loaded;
}

} // namespace

load_result load_table(std::FILE* in, record** list) noexcept
{
    table_reader reader{list, 0, {nullptr, 0, 0}};
    const load_status status = read_lines(in, reader);
    std::free(reader.radek.bytes);
    return {status, reader.lines};
}
