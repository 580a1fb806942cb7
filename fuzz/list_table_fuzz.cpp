// Fuzzes the whole run on a table held in memory: read, list, summary, release. The output
// must be the listing worked out independently from the format rules.
#include <cstdint>
#include <cstdio>
#include <string>

#include "list_table.hpp"
#include "memory_output.hpp"
#include "reference_listing.hpp"
#include "require.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string table(reinterpret_cast<const char*>(data), size);
    std::FILE* in = fmemopen(table.data(), table.size(), "r");
    memory_output out;
    require(in != nullptr && out.file != nullptr);
    const int status = list_table(in, out.file, find_terminal(out.file));
    std::fclose(in);
    const std::string listing = out.text();
    require(status == 0);

    require(listing == expected_listing(table));
    return 0;
}
