// Fuzzes the splitting of one line: whatever the bytes, the record holds the line's first
// twelve non-empty fields, in order, each intact and without a delimiter; listed for a terminal,
// its line holds no control character.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing.hpp"
#include "memory_output.hpp"
#include "record_list.hpp"
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

    // On a terminal no control character reaches it: on one that takes UTF-8 no C0 byte (but the
    // line feed), DEL or C1 character (0xC2 and a byte below 0xA0); on another, no byte of a C0 or
    // C1 control or DEL.
    for (const reader how : {reader::utf8_terminal, reader::byte_terminal}) {
        memory_output out;
        require(out.file != nullptr);
        print_list(&rec, out.file, how);
        const std::string shown = out.text();
        require(!shown.empty() && shown.back() == '\n');
        for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
            const auto byte = static_cast<unsigned char>(shown[i]);
            require(byte >= 0x20 && byte != 0x7F);
            if (how == reader::byte_terminal) {
                require(byte < 0x80 || byte >= 0xA0);
            } else {
                require(byte != 0xC2 || static_cast<unsigned char>(shown[i + 1]) >= 0xA0);
            }
        }
    }
    free_record(rec);
    return 0;
}
