// One data line of the table: its field texts and the link to the next line.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

// A record keeps at most this many fields of its line; later fields are dropped.
inline constexpr std::size_t record_slots = 12;

// Every one of these bytes separates fields; none of them is ever part of one.
inline constexpr std::string_view field_delimiters = "\r\n\t;";

// A field's copy fills a block of whole words of this type, so that it can be read a word at a
// time up to the word that holds its NUL (copy_field_word).
using text_word = std::uint64_t;

// The bytes copy_field_word reads and writes at a time.
inline constexpr std::size_t field_word_size = sizeof(text_word);

struct record {
    // Slot k holds the k-th non-empty field of the line as an owned copy from duplicate_string,
    // or null when the line had fewer fields: the filled slots run from slot 0.
    std::array<char*, record_slots> fields;
    // The following record of the list, or null for the last one.
    record* next;
};

// Returns a new heap copy of `text` followed by a NUL, in a block of whole text_words, or null
// when it cannot be allocated. When `readable`, the number of bytes that may be read from
// text.data() on, reaches the end of the block, the block is copied whole from the text, and the
// bytes after its NUL are copies of those after the text; else they are NULs. The caller owns
// the copy and releases it with free. Defined here so that the parser's calls are inlined.
[[nodiscard]] inline char* duplicate_string(std::string_view text, std::size_t readable) noexcept {
    // A text too long for whole words and a NUL asks for the largest size, which no allocator
    // grants.
    const std::size_t words = text.size() / sizeof(text_word) + 1;
    const std::size_t block =
        text.size() < SIZE_MAX - sizeof(text_word) ? words * sizeof(text_word) : SIZE_MAX;
    auto* copy = static_cast<text_word*>(std::malloc(block));
    if (copy == nullptr) { return nullptr; }
    if (readable >= block) {
        // The first word apart, which is all that a short text takes: it is copied with no call.
        text_word first = 0;
        std::memcpy(&first, text.data(), sizeof first);
        copy[0] = first;
        if (words > 1) { std::memcpy(copy + 1, text.data() + sizeof first, block - sizeof first); }
    } else {
        copy[words - 1] = 0;
        std::memcpy(copy, text.data(), text.size());
    }
    auto* bytes = reinterpret_cast<char*>(copy);
    bytes[text.size()] = '\0';
    return bytes;
}

// Copies the field_word_size bytes at `at` to `to`. `at` is a field's copy from duplicate_string,
// or a later word of it up to the one that holds its NUL: those words are in its block, so the
// read stays in bounds. Returns how many of the bytes come before the NUL, or field_word_size
// when the field goes on after them.
[[nodiscard]] inline std::size_t copy_field_word(const char* at, char* to) noexcept {
    text_word w = 0;
    std::memcpy(&w, at, sizeof w);
    // One store of the word: a memcpy to a place whose size the fortified C library checks is a
    // call.
    std::copy_n(reinterpret_cast<const char*>(&w), sizeof w, to);
    // 0x80 in each NUL byte and nowhere else: no byte carries into the next, so the flags hold in
    // either byte order, and the first byte in memory is the lowest on a little-endian machine,
    // the highest on a big-endian one.
    constexpr text_word low = ~text_word{0} / 0xFF * 0x7F;
    const text_word nul = ~(((w & low) + low) | w | low);
    if (nul == 0) { return sizeof w; }
    const int bit =
        std::endian::native == std::endian::little ? std::countr_zero(nul) : std::countl_zero(nul);
    return static_cast<std::size_t>(bit) / 8;
}

// Splits `line`, `size` bytes and a NUL after them, into its first record_slots non-empty
// fields, overwriting the delimiter after each field taken with a NUL; a NUL among the bytes ends
// the line's text. Returns a new record owned by the caller, or null when the record or any
// field copy cannot be allocated; nothing stays allocated then.
[[nodiscard]] record* parse_record(char* line, std::size_t size) noexcept;

// Releases the record's field texts and then the record itself (not the records after it).
void free_record(record* rec) noexcept;
