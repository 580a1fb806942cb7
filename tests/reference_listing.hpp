// What tob-list prints for a table, worked out from the format rules alone, without the
// program's own code, so that tests and fuzzers can compare the two.
#pragma once

#include <string>
#include <string_view>

// The listing and summary for the table `input`.
std::string expected_listing(std::string_view input);
