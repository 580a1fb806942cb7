// Fuzzes the whole run on a table held in memory: load, list, summary, release. The output
// must be the listing worked out independently from the format rules.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "list_table.hpp"
#include "memory_output.hpp"
#include "reference_listing.hpp"
#include "require.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string table(reinterpret_cast<const char*>(data), size);
    std::FILE* in = fmemopen(table.data(), table.size(), "r");
    memory_output out;
    require(in != nullptr && out.file != nullptr);
    const int status = list_table(in, out.file);
    const std::string listing = out.text();
    require(status == 0);

    // One line per data line, or the empty-list message, then the summary with the count.
    std::size_t lines = 0;
    for (std::size_t i = 0; i < size; ++i) {
        lines += table[i] == '\n' || i + 1 == size ? 1 : 0;
    }
    const std::size_t data_lines = lines > 0 ? lines - 1 : 0;
    std::size_t output_lines = 0;
    for (const char c : listing) {
        output_lines += c == '\n' ? 1 : 0;
    }
    require(output_lines == std::max<std::size_t>(data_lines, 1) + 1);
    const std::string summary = "Nacteno " + std::to_string(lines) + " radku\n";
    require(listing.size() >= summary.size() && listing.ends_with(summary));
    require(data_lines > 0 || listing == "Seznam je prazdny\n" + summary);

    require(listing == expected_listing(table));
    return 0;
}
