// What tob-list makes of a table, worked out from the format rules alone, not from the program's
// code or constants, so that tests and fuzzers can compare the two.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The non-empty fields of one line, in order, up to its first NUL byte.
std::vector<std::string> reference_fields(std::string_view line);

// The listing and summary for the table `input`.
std::string expected_listing(std::string_view input);
