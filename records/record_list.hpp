// The table in memory: records chained through `next` in file order, held by a bare head
// pointer that is null when the list is empty. Every operation takes the head's address.
#pragma once

#include <cstddef>
#include <cstdio>

#include "record.hpp"

// The listing shows this many leading fields of each record.
inline constexpr std::size_t listed_fields = 8;

// The listing is gathered in a buffer of this many bytes, written out whenever it is full.
inline constexpr std::size_t listing_buffer_size = std::size_t{1} << 16;

// Written as a line in place of the listing when there is no record.
inline constexpr const char* empty_list_message = "Seznam je prazdny";

// Returns the last record, or null when the list is empty.
[[nodiscard]] record* find_last(record* const* list) noexcept;

// Parses `line`, `size` bytes and a NUL, into a record and links it after the last one. Returns
// false, with the list unchanged and nothing allocated, when the record cannot be made; the list
// owns it otherwise. Given the address of the last record's `next`, it appends without walking.
[[nodiscard]] bool append_record(record** list, char* line, std::size_t size) noexcept;

// Writes each record's first listed_fields fields run together as one line, or the empty-list
// message. The listing goes out a bufferful at a time, so `out` may as well be unbuffered.
// Stops after the first failed write; the error flag of `out` tells it.
void print_list(record* const* list, std::FILE* out) noexcept;

// Releases every record and its texts and sets the head to null. Returns false when the
// list was already empty.
bool free_list(record** list) noexcept;
