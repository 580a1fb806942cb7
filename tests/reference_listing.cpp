#include "reference_listing.hpp"

#include <vector>

std::string expected_listing(std::string_view input)
{
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
        const std::string_view text = lines[i].substr(0, lines[i].find('\0'));
        int stored = 0;
        std::string token;
        for (std::size_t j = 0; j <= text.size(); ++j) {
            const bool cut = j == text.size() || text[j] == ';' || text[j] == '\t' || text[j] == '\r';
            if (!cut) {
                token += text[j];
            } else if (!token.empty()) {
                if (stored++ < 8) {
                    listing += token;
                }
                token.clear();
            }
        }
        listing += '\n';
    }
    if (lines.size() < 2) {
        listing = "Seznam je prazdny\n";
    }
    return listing + "Nacteno " + std::to_string(lines.size()) + " radku\n";
}
