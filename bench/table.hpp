// The benchmark's tables: deterministic, ten short fields a line, about 70 bytes a line.
#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t bench_fields = 10;

// Length of field f of data line i: 5, 6 or 7 bytes.
constexpr std::size_t field_length(std::size_t i, std::size_t f) { return 5 + (i * 7 + f * 5) % 3; }

// Appends data line i (its line feed included) to `table`.
inline void append_bench_line(std::string& table, std::size_t i) {
    for (std::size_t f = 0; f < bench_fields; ++f) {
        if (f > 0) { table += ';'; }
        for (std::size_t k = 0; k < field_length(i, f); ++k) {
            table += static_cast<char>('a' + (i + f * 3 + k) % 26);
        }
    }
    table += '\n';
}
