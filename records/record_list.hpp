// The table in memory: records chained through `next` in file order. A list is held by its head,
// a record pointer that is null when the list is empty; the last record's `next` is null. The
// operations take the address of a link of the chain: the head, or for append_record also the
// `next` of a record in it, so that they can set or clear it.
#pragma once

#include <cstddef>

#include "record.hpp"

// Returns the last record of the chain that starts at the link `*list`, or null when that link is
// null (an empty list).
[[nodiscard]] record* find_last(record* const* list) noexcept;

// Parses `line`, `size` bytes and a NUL, into a record and links it after the last record of the
// chain from the link `*list` on, or into that link when it is null. Returns false, with the list
// unchanged and nothing allocated, when the record cannot be made; the list owns it otherwise.
// Given the head, it walks the whole chain; a reader that appends line after line passes the link
// that ends the list, the last record's `next`, so that loading a table takes time in proportion
// to its lines rather than to their square.
[[nodiscard]] bool append_record(record** list, char* line, std::size_t size) noexcept;

// Releases every record of the list with head `*list` and their texts, and sets the head to
// null. Returns false when the list was already empty.
bool free_list(record** list) noexcept;
