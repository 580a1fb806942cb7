// The read loop: every physical line of the input, the header first, into a record list.
#pragma once

#include <cstdint>
#include <cstdio>

#include "record.hpp"

enum class load_status {
    loaded,     // the whole input was read and every data line stored
    no_memory,  // a record or the line buffer could not be allocated
    read_failed // reading stopped on an error before the end of the input
};

struct load_result {
    load_status status;
    // Physical lines read, the header included.
    std::uint64_t lines;
};

// Reads `in` to its end, counts every line, and appends a record for each line after the
// first to the empty list `*list`. On failure the records stored so far stay on the list,
// which the caller owns and releases in every case. Does not close `in`.
[[nodiscard]] load_result load_table(std::FILE* in, record** list) noexcept;
