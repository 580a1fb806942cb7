// tob-list: loads the table "tob_10.csv" from the working directory, lists the leading fields
// of every data line, reports how many lines it read, and exits.
#include <cerrno>
#include <cstdio>

#include "list_table.hpp"
#include "messages.hpp"

#if !defined(_WIN32)
#include <sys/types.h>
// With 32-bit file offsets, opening a table of 2 GiB or more fails on a 32-bit system.
static_assert(sizeof(off_t) >= 8, "tob-list needs 64-bit file offsets: build with -D_FILE_OFFSET_BITS=64");
#endif

namespace {

constexpr const char* input_name = "tob_10.csv";

// Lists the table on standard output, which is `where`. Returns the exit status.
[[nodiscard]] int list_input(terminal where) noexcept {
    std::FILE* in = std::fopen(input_name, "rb");
    if (in == nullptr) {
        // fopen allocates its stream, so a lack of memory is not the file's fault.
        put_line(errno == ENOMEM ? no_memory_message : open_failed_message, stdout);
        return 1;
    }
    // The table is read in blocks straight into the program's own buffer: a stream buffer would
    // only copy every byte once more.
    (void)std::setvbuf(in, nullptr, _IONBF, 0);
    const int status = list_table(in, stdout, where);
    (void)std::fclose(in); // only read from, so closing loses nothing
    return status;
}

} // namespace

int main() {
    // The listing is gathered and written out a bufferful at a time: a stream buffer would only
    // copy it once more, and the messages are a line each.
    (void)std::setvbuf(stdout, nullptr, _IONBF, 0);
    const terminal where = find_terminal(stdout);
    int status = list_input(where);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) { // some of the output was lost
        put_line(write_failed_message, stderr);
        status = 1;
    }
    wait_if_alone(where);
    return status;
}
