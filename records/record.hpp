// One data line of the table: its field texts and the link to the next line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// A record keeps at most this many fields of its line; later fields are dropped.
inline constexpr std::size_t record_slots = 12;

// Every one of these bytes separates fields; none of them is ever part of one.
inline constexpr std::string_view field_delimiters = "\r\n\t;";

// A field's copy is held in a block of whole words of this type, every byte of them set, so
// that it can be copied and listed a word at a time up to the word that holds its NUL.
using text_word = std::uint64_t;

struct record {
    // Slot k holds the k-th non-empty field of the line as an owned NUL-terminated copy in a
    // block of whole text_words, or null when the line had fewer fields.
    std::array<char*, record_slots> fields;
    // The following record of the list, or null for the last one.
    record* next;
};

// Returns a new heap copy of `text` followed by a NUL, or null when it cannot be allocated.
// The caller owns the copy and releases it with free.
[[nodiscard]] char* duplicate_string(std::string_view text) noexcept;

// Splits `line`, `size` bytes and a NUL after them, into its first `record_slots` non-empty
// fields, overwriting the delimiter after each field taken with a NUL; a NUL among the bytes ends
// the line's text. Returns a new record owned by the caller, or null when the record or any
// field copy cannot be allocated; nothing is kept allocated then.
[[nodiscard]] record* parse_record(char* line, std::size_t size) noexcept;

// The same for a line known only by its terminating NUL.
[[nodiscard]] inline record* parse_record(char* line) noexcept
{
    return parse_record(line, std::strlen(line));
}

// Releases the record's field texts and then the record itself (not the records after it).
void free_record(record* rec) noexcept;
