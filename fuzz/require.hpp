// What a fuzz target checks: a property that fails aborts, and libFuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void require(bool holds) {
    if (!holds) { std::abort(); }
}
