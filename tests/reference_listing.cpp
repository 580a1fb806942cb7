#include "reference_listing.hpp"

namespace {

// The format's rules, stated here apart from the program's own constants.
constexpr std::string_view delimiters = "\r\n\t;";
constexpr std::size_t listed = 8;

} // namespace

std::vector<std::string> reference_fields(std::string_view line) {
    const std::string_view text = line.substr(0, line.find('\0'));
    std::vector<std::string> fields;
    std::string token;
    for (std::size_t j = 0; j <= text.size(); ++j) {
        const bool cut = j == text.size() || delimiters.find(text[j]) != std::string_view::npos;
        if (!cut) {
            token += text[j];
        } else if (!token.empty()) {
            fields.push_back(token);
            token.clear();
        }
    }
    return fields;
}

std::string expected_listing(std::string_view input) {
    // Physical lines, each without its line feed; a last line without one still counts.
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < input.size();) {
        const std::size_t newline = input.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? input.size() : newline;
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    std::string listing;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = reference_fields(lines[i]);
        for (std::size_t k = 0; k < fields.size() && k < listed; ++k) { listing += fields[k]; }
        listing += '\n';
    }
    if (lines.size() < 2) { listing = "Seznam je prazdny\n"; }
    return listing + "Nacteno " + std::to_string(lines.size()) + " radku\n";
}
