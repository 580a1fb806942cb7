// A stream that collects what is written to it, for tests and fuzz targets to read back.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

struct memory_output {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&bytes, &size); // null when it cannot be opened

    memory_output() = default;
    memory_output(const memory_output&) = delete;
    memory_output& operator=(const memory_output&) = delete;
    ~memory_output() {
        if (file != nullptr) { std::fclose(file); }
        std::free(bytes);
    }

    // Everything written so far.
    std::string text() {
        if (file == nullptr || std::fflush(file) != 0) { return {}; }
        return {bytes, size};
    }
};
