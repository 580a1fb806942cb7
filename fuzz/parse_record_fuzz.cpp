// Fuzzes the splitting of one line: whatever the bytes, the record holds the line's first
// twelve non-empty fields, in order, each intact and without a delimiter.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record.hpp"
#include "reference_listing.hpp"
#include "require.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::string line = original; // the NUL after the bytes ends the text
    record* rec = parse_record(line.data(), line.size());
    require(rec != nullptr);
    require(rec->next == nullptr);

    const std::vector<std::string> want = reference_fields(original);
    std::size_t filled = 0;
    while (filled < record_slots && rec->fields[filled] != nullptr) {
        const std::string_view field = rec->fields[filled];
        require(!field.empty());
        require(field.find_first_of(field_delimiters) == std::string_view::npos);
        require(filled < want.size() && field == want[filled]);
        ++filled;
    }
    for (std::size_t k = filled; k < record_slots; ++k) {
        require(rec->fields[k] == nullptr); // filled slots are contiguous from slot 0
    }
    require(filled == std::min(want.size(), record_slots));
    free_record(rec);
    return 0;
}
