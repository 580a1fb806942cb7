// tob-list: loads the table "tob_10.csv" from the working directory, lists the first eight
// fields of every data line, reports how many lines it read, and exits.
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "load_table.hpp"
#include "record_list.hpp"

namespace {

constexpr const char* input_name = "tob_10.csv";

constexpr std::string_view open_failed = "Soubor nesel otevrit.";
constexpr std::string_view read_failed = "Soubor nesel precist.";
constexpr std::string_view no_memory = "Nedostatek pameti.";
constexpr std::string_view write_failed = "Vystup nesel zapsat.";

void put_line(std::string_view text, std::FILE* out) noexcept
{
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
}

// Writes "Nacteno N radku" as a line.
void put_summary(std::uint64_t lines) noexcept
{
    std::array<char, 20> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), lines);
    std::fputs("Nacteno ", stdout);
    std::fwrite(digits.data(), 1, static_cast<std::size_t>(end - digits.data()), stdout);
    std::fputs(" radku\n", stdout);
}

// Returns `status`, or 1 when anything written to standard output was lost.
[[nodiscard]] int finish(int status) noexcept
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        put_line(write_failed, stderr);
        return 1;
    }
    return status;
}

} // namespace

int main()
{
    std::FILE* in = std::fopen(input_name, "r");
    if (in == nullptr) {
        put_line(open_failed, stdout);
        return finish(1);
    }
    record* list = nullptr;
    const load_result loaded = load_table(in, &list);
    std::fclose(in);
    if (loaded.status == load_status::loaded) {
        print_list(&list);
        put_summary(loaded.lines);
    }
    free_list(&list);
    switch (loaded.status) {
    case load_status::loaded:
        return finish(0);
    case load_status::no_memory:
        put_line(no_memory, stdout);
        return finish(1);
    case load_status::read_failed:
        put_line(read_failed, stdout);
        return finish(1);
    }
    return finish(1);
}
