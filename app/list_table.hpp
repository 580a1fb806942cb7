// The program's run once its input is open: load, list, summarize, release.
#pragma once

#include <cstdio>
#include <string_view>

inline constexpr std::string_view open_failed_message = "Soubor nesel otevrit.";
inline constexpr std::string_view read_failed_message = "Soubor nesel precist.";
inline constexpr std::string_view no_memory_message = "Nedostatek pameti.";
inline constexpr std::string_view write_failed_message = "Vystup nesel zapsat.";

// Writes `text` and a line feed to `out`; the stream's error flag records a failure.
void put_line(std::string_view text, std::FILE* out) noexcept;

// Loads the table from `in` and closes it, then writes to `out` the listing and the line
// "Nacteno N radku", or only the message for a failed read or allocation. Releases every
// record. Returns the exit status: 0 after a listing, 1 after a failure.
[[nodiscard]] int list_table(std::FILE* in, std::FILE* out) noexcept;
