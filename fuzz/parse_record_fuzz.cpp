// Fuzzes the splitting of one line: whatever the bytes, the record holds the line's first
// twelve non-empty fields, in order, each intact and without a delimiter.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "record.hpp"

namespace {

void require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

// The line's non-empty tokens, found byte by byte up to the first NUL.
std::vector<std::string> tokens(std::string_view line)
{
    std::vector<std::string> found(1);
    for (const char c : line.substr(0, line.find('\0'))) {
        if (field_delimiters.find(c) == std::string_view::npos) {
            found.back() += c;
        } else if (!found.back().empty()) {
            found.emplace_back();
        }
    }
    if (found.back().empty()) {
        found.pop_back();
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::string line = original; // the NUL after the bytes ends the text
    record* rec = parse_record(line.data());
    require(rec != nullptr);
    require(rec->next == nullptr);

    const std::vector<std::string> want = tokens(original);
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
