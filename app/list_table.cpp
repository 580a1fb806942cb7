#include "list_table.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "messages.hpp"
#include "record_list.hpp"

namespace {

// Reads every line of `in`, counting each in `lines`, and appends each line after the header
// to the empty list `*list`. Returns an empty view after the whole input, or the message for
// why reading stopped; the records stored so far stay on the list in either case.
[[nodiscard]] std::string_view read_lines(std::FILE* in, record** list, std::uint64_t& lines) noexcept {
    // The input is read a block at a time into `radek`, and each line is parsed where it lies,
    // its line feed turned into the NUL that ends it: no line is copied, and its length is only
    // bounded by memory.
    std::size_t capacity = read_block;
    auto* radek = static_cast<char*>(std::malloc(capacity));
    if (radek == nullptr) { return no_memory_message; }
    std::size_t start = 0; // the first byte not yet parsed
    std::size_t end = 0;   // the end of the bytes read
    // The null link that ends the list, the head and then the last record's `next`: appending
    // there, rather than at the head, spares a walk along the whole list for every line.
    record** tail = list;
    std::string_view failure;
    for (bool at_end = false; failure.empty();) {
        char* const line = radek + start;
        auto* newline = static_cast<char*>(std::memchr(line, '\n', end - start));
        if (newline != nullptr) {
            *newline = '\0';
            start = static_cast<std::size_t>(newline - radek) + 1;
            // The header is only counted.
            if (++lines > 1 && !append_record(tail, line, static_cast<std::size_t>(newline - line))) {
                failure = no_memory_message;
            } else if (*tail != nullptr) {
                tail = &(*tail)->next; // past the record just appended
            }
            continue;
        }
        if (at_end) { break; }
        // The bytes read end inside a line: move its start to the front and read on behind it,
        // keeping a byte free for the line feed that ends a last line without one.
        std::memmove(radek, line, end - start);
        end -= start;
        start = 0;
        if (capacity - end < 2) { // full: double it, or ask for the largest size, which no allocator grants
            capacity = capacity <= SIZE_MAX / 2 ? capacity * 2 : SIZE_MAX;
            auto* grown = static_cast<char*>(std::realloc(radek, capacity));
            if (grown == nullptr) {
                failure = no_memory_message;
                break;
            }
            radek = grown;
        }
        const std::size_t got = std::fread(radek + end, 1, capacity - end - 1, in);
        end += got;
        at_end = got == 0; // the input is over, or reading it failed
        if (at_end && end > 0) { radek[end++] = '\n'; }
    }
    std::free(radek);
    if (failure.empty() && std::ferror(in) != 0) { failure = read_failed_message; }
    return failure;
}

} // namespace

int list_table(std::FILE* in, std::FILE* out, terminal where) noexcept {
    record* list = nullptr;
    std::uint64_t lines = 0;
    const std::string_view failure = read_lines(in, &list, lines);
    int status = 0;
    if (!failure.empty()) {
        put_line(failure, out);
        status = 1;
    } else if (!write_listing(&list, out, where)) { // GCOVR_EXCL_BR_LINE: only a Windows console says no
        // GCOVR_EXCL_START: reached on Windows only. Failed writes to a stream are main's to report.
        put_line(write_failed_message, stderr);
        status = 1;
        // GCOVR_EXCL_STOP
    } else if (std::ferror(out) == 0) {
        // After a failed write the listing is cut short: a summary after it, should a later write
        // get through, would claim lines that are not there.
        (void)std::fprintf(out, summary_format, lines);
    }
    (void)free_list(&list);
    return status;
}
