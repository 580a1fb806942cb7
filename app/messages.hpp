// Every text the program writes, but the listing's empty-list text.
#pragma once

#include <cinttypes>
#include <cstdio>
#include <string_view>

inline constexpr std::string_view open_failed_message = "Soubor nesel otevrit.";
inline constexpr std::string_view read_failed_message = "Soubor nesel precist.";
inline constexpr std::string_view no_memory_message = "Nedostatek pameti.";
inline constexpr std::string_view write_failed_message = "Vystup nesel zapsat.";
// Written last when the program waits for a key before its own console window closes.
inline constexpr std::string_view pause_message = "Stisknete libovolnou klavesu.";

// The line after the listing, with the number of lines read, the header included.
inline constexpr const char* summary_format = "Nacteno %" PRIu64 " radku\n";

// Writes `text` and a line feed to `out` at once; the stream's error flag records a failure.
inline void put_line(std::string_view text, std::FILE* out) noexcept {
    (void)std::fprintf(out, "%.*s\n", static_cast<int>(text.size()), text.data());
}
