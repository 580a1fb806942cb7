#include "list_table.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "console.hpp"
#include "messages.hpp"
#include "record_list.hpp"

namespace {

// The line buffer's first size, enough for the lines of most tables; a longer line doubles it.
constexpr std::size_t first_capacity = 400;

enum class line_read { line, end, no_memory };

// Doubles the line buffer `radek` of `capacity` bytes. Returns false, with the buffer as it
// was, when it cannot grow.
[[nodiscard]] bool grow(char*& radek, std::size_t& capacity) noexcept
{
    // Past half the largest size, ask for the largest, which no allocator grants.
    const std::size_t wanted = std::max(first_capacity, capacity <= SIZE_MAX / 2 ? capacity * 2 : SIZE_MAX);
    auto* grown = static_cast<char*>(std::realloc(radek, wanted));
    if (grown == nullptr) {
        return false;
    }
    radek = grown;
    capacity = wanted;
    return true;
}

// Reads the next line of `in`, its line feed included, into `radek`, growing the buffer as the
// line needs; a NUL follows the line. Returns end when nothing was left to read or reading
// failed (the stream's error flag tells which), no_memory when the buffer could not grow.
// The buffer stays the caller's in every case.
[[nodiscard]] line_read read_line(std::FILE* in, char*& radek, std::size_t& capacity) noexcept
{
    std::size_t used = 0; // bytes of the line already in radek
    for (;;) {
        if (capacity - used < 2 && !grow(radek, capacity)) {
            return line_read::no_memory;
        }
        // fgets stops after a line feed or when the room is full, and ends what it read with a
        // NUL. Only a full room puts that NUL on the room's last byte, so a byte other than NUL
        // left there tells the two apart, whatever NUL bytes the line itself holds.
        const std::size_t room = std::min(capacity - used, std::size_t{INT_MAX});
        char& last = radek[used + room - 1];
        last = '\n';
        if (std::fgets(radek + used, static_cast<int>(room), in) == nullptr) {
            // At the end of the input, or on a read error, which the caller learns from ferror.
            return used == 0 ? line_read::end : line_read::line;
        }
        if (last != '\0' || radek[used + room - 2] == '\n') {
            return line_read::line;
        }
        used += room - 1; // the line goes on: read its rest over the NUL
    }
}

// Reads every line of `in`, counting each in `lines`, and appends each line after the header
// to the empty list `*list`. Returns an empty view after the whole input, or the message for
// why reading stopped; the records stored so far stay on the list in either case.
[[nodiscard]] std::string_view read_lines(std::FILE* in, record** list, std::uint64_t& lines) noexcept
{
    char* radek = nullptr; // the line just read
    std::size_t capacity = 0;
    record** tail = list; // the null link that ends the list: the head, then the last `next`
    line_read got = line_read::line;
    while ((got = read_line(in, radek, capacity)) == line_read::line) {
        ++lines;
        if (lines == 1) {
            continue; // the header is only counted
        }
        if (!append_record(tail, radek)) {
            got = line_read::no_memory;
            break;
        }
        tail = &(*tail)->next;
    }
    std::free(radek);
    if (got == line_read::no_memory) {
        return no_memory_message;
    }
    return std::ferror(in) != 0 ? read_failed_message : std::string_view{};
}

} // namespace

int list_table(std::FILE* in, std::FILE* out) noexcept
{
    record* list = nullptr;
    std::uint64_t lines = 0;
    const std::string_view failure = read_lines(in, &list, lines);
    int status = 0;
    if (!failure.empty()) {
        put_line(failure, out);
        status = 1;
    } else if (write_listing(&list, out)) { // GCOVR_EXCL_BR_LINE: only a Windows console says no
        (void)std::fprintf(out, summary_format, lines);
    } else {
        // GCOVR_EXCL_START: reached on Windows only. Failed writes to a stream are main's to report.
        put_line(write_failed_message, stderr);
        status = 1;
        // GCOVR_EXCL_STOP
    }
    (void)free_list(&list);
    return status;
}
