// Streams that collect what is written to them, for tests and fuzz targets to read back.
#pragma once

#include <algorithm>
#include <cstdint>
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

// An unbuffered stream, as the program's standard output is, that takes `room` bytes, then
// refuses `refusals` writes, as a full disk would, and then takes every write again, as the disk
// would once it has room. It keeps the bytes it took and counts those offered.
struct flaky_output {
    std::size_t room;
    std::size_t refusals;
    std::string taken;
    std::size_t offered = 0;
    std::FILE* file =
        fopencookie(this, "w", {nullptr, write, nullptr, nullptr}); // null when it cannot be opened

    flaky_output(std::size_t room_, std::size_t refusals_) : room(room_), refusals(refusals_) {
        if (file != nullptr) { std::setvbuf(file, nullptr, _IONBF, 0); }
    }
    flaky_output(const flaky_output&) = delete;
    flaky_output& operator=(const flaky_output&) = delete;
    ~flaky_output() {
        if (file != nullptr) { std::fclose(file); }
    }

    static ssize_t write(void* cookie, const char* buf, std::size_t size) {
        auto* out = static_cast<flaky_output*>(cookie);
        out->offered += size;
        if (out->room == 0 && out->refusals > 0) {
            --out->refusals;
            return 0; // fopencookie's way to say that the write failed
        }
        const std::size_t taken = out->refusals == 0 ? size : std::min(size, out->room);
        out->room -= std::min(taken, out->room);
        out->taken.append(buf, taken);
        return static_cast<ssize_t>(taken);
    }
};
