#include "list_table.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "messages.hpp"
#include "record_list.hpp"

namespace {

// Reads every line of `in`, counting each in `lines`, and appends each line after the header
// to the empty list `*list`. Returns an empty view after the whole input, or the message for
// why reading stopped; the records stored so far stay on the list in either case.
[[nodiscard]] std::string_view read_lines(std::FILE* in, record** list, std::uint64_t& lines) noexcept
{
    char* radek = nullptr; // the line just read, grown by getline as lines need
    std::size_t capacity = 0;
    record** tail = list; // the null link that ends the list: the head, then the last `next`
    std::string_view failure;
    while (getline(&radek, &capacity, in) >= 0) {
        ++lines;
        if (lines == 1) {
            continue; // the header is only counted
        }
        if (!append_record(tail, radek)) {
            failure = no_memory_message;
            break;
        }
        tail = &(*tail)->next;
    }
    // getline gives up at the end of the input, on a read error, and when it cannot grow
    // the line, which sets errno to ENOMEM.
    if (failure.empty() && (std::ferror(in) != 0 || std::feof(in) == 0)) {
        failure = errno == ENOMEM ? no_memory_message : read_failed_message;
    }
    std::free(radek);
    return failure;
}

} // namespace

int list_table(std::FILE* in, std::FILE* out) noexcept
{
    record* list = nullptr;
    std::uint64_t lines = 0;
    const std::string_view failure = read_lines(in, &list, lines);
    if (failure.empty()) {
        print_list(&list, out);
        (void)std::fprintf(out, summary_format, lines);
    } else {
        put_line(failure, out);
    }
    (void)free_list(&list);
    return failure.empty() ? 0 : 1;
}
