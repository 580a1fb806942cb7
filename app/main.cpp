// tob-list: loads the table "tob_10.csv" from the working directory, lists the first eight
// fields of every data line, reports how many lines it read, and exits.
#include <array>
#include <cerrno>
#include <cstdio>

#include "list_table.hpp"

namespace {

constexpr const char* input_name = "tob_10.csv";

// Standard output's buffer, so that writing the listing or a message never needs the heap.
std::array<char, std::size_t{1} << 16> output_buffer;

// Returns `status`, or 1 with a message on the error stream when output was lost.
[[nodiscard]] int finish(int status) noexcept
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        put_line(write_failed_message, stderr);
        return 1;
    }
    return status;
}

} // namespace

int main()
{
    (void)std::setvbuf(stdout, output_buffer.data(), _IOFBF, output_buffer.size());
    std::FILE* in = std::fopen(input_name, "r");
    if (in == nullptr) {
        // fopen allocates its stream, so a lack of memory is not the file's fault.
        put_line(errno == ENOMEM ? no_memory_message : open_failed_message, stdout);
        return finish(1);
    }
    return finish(list_table(in, stdout));
}
