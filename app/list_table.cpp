#include "list_table.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

#include "load_table.hpp"
#include "record_list.hpp"

namespace {

void put_summary(std::uint64_t lines, std::FILE* out) noexcept
{
    std::array<char, std::numeric_limits<std::uint64_t>::digits10 + 1> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), lines);
    (void)error; // the array holds every 64-bit value
    (void)std::fputs("Nacteno ", out);
    (void)std::fwrite(digits.data(), 1, static_cast<std::size_t>(end - digits.data()), out);
    (void)std::fputs(" radku\n", out);
}

} // namespace

void put_line(std::string_view text, std::FILE* out) noexcept
{
    (void)std::fwrite(text.data(), 1, text.size(), out);
    (void)std::fputc('\n', out);
}

int list_table(std::FILE* in, std::FILE* out) noexcept
{
    record* list = nullptr;
    const load_result loaded = load_table(in, &list);
    (void)std::fclose(in); // only read from, so closing loses nothing
    if (loaded.status == load_status::loaded) {
        print_list(&list, out);
        put_summary(loaded.lines, out);
    }
    (void)free_list(&list);
    switch (loaded.status) {
    case load_status::loaded:
        return 0;
    case load_status::no_memory:
        put_line(no_memory_message, out);
        return 1;
    case load_status::read_failed:
        put_line(read_failed_message, out);
        return 1;
    }
    return 1;
}
