// Times tob-list on generated tables of 10,000, 100,000 and 1,000,000 lines, beside cat (the
// I/O floor), an awk one-liner printing the same listing, and the allocation floor. Prints the
// medians of several runs. Usage: tob-bench [RUNS]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "table.hpp"

namespace {

struct sample {
    double wall;
    double user;
    double sys;
    double peak_mib;
};

constexpr const char* awk_listing =
    R"(NR > 1 { s = ""; n = 0; for (i = 1; i <= NF && n < 8; i++) if ($i != "") { s = s $i; n++ } print s } )"
    R"(END { print "Nacteno " NR " radku" })";

// Runs argv in `dir` with standard output to `out_path`; returns its times and peak memory.
sample run(const std::string& dir, const std::vector<std::string>& argv, const char* out_path = "/dev/null")
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(out_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || dup2(out, 1) < 0 || chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        std::vector<char*> words;
        for (const std::string& word : argv) {
            words.push_back(const_cast<char*>(word.c_str()));
        }
        words.push_back(nullptr);
        execvp(words[0], words.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed with status %d\n", argv[0].c_str(), status);
        std::exit(1);
    }
    const auto seconds = [](timeval t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {wall.count(), seconds(usage.ru_utime), seconds(usage.ru_stime),
            static_cast<double>(usage.ru_maxrss) / 1024};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::size_t sizes[] = {10'000, 100'000, 1'000'000};
    const std::string root = (std::filesystem::temp_directory_path() / "tob-bench").string();
    std::filesystem::remove_all(root);

    std::printf("%-10s %-12s %8s %8s %8s %9s %8s %9s %8s\n", "lines", "program", "wall s", "user s", "sys s",
                "peak MiB", "MB/s", "ns/line", "peak/in");
    std::array<double, 2> wall_100k{}; // tob-list and alloc-floor at 100,000 lines
    for (const std::size_t lines : sizes) {
        const std::string dir = root + "/" + std::to_string(lines);
        std::filesystem::create_directories(dir);
        std::string table = "c0;c1;c2;c3;c4;c5;c6;c7;c8;c9\n";
        for (std::size_t i = 1; i < lines; ++i) {
            append_bench_line(table, i);
        }
        std::ofstream(dir + "/tob_10.csv", std::ios::binary) << table;
        const double in_mb = static_cast<double>(table.size()) / 1e6;

        // The same listing from both, or the comparison means nothing.
        run(dir, {TOB_LIST_BINARY}, (dir + "/list.out").c_str());
        run(dir, {"awk", "-F", "[;\t\r]+", awk_listing, "tob_10.csv"}, (dir + "/awk.out").c_str());
        if (std::system(("cmp -s " + dir + "/list.out " + dir + "/awk.out").c_str()) != 0) {
            std::fprintf(stderr, "tob-list and awk disagree on %zu lines\n", lines);
            return 1;
        }

        const std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
            {"tob-list", {TOB_LIST_BINARY}},
            {"alloc-floor", {ALLOC_FLOOR_BINARY, std::to_string(lines - 1)}},
            {"cat", {"cat", "tob_10.csv"}},
            {"awk", {"awk", "-F", "[;\t\r]+", awk_listing, "tob_10.csv"}},
        };
        std::vector<std::vector<sample>> samples(programs.size());
        for (int r = 0; r < runs; ++r) {
            for (std::size_t p = 0; p < programs.size(); ++p) {
                // This machine's host backs memory a process gave back only after a while, and the
                // first touch of such a page costs several times more. An untimed run of the floor
                // first puts every program on the same warm memory.
                run(dir, programs[1].second);
                samples[p].push_back(run(dir, programs[p].second));
            }
        }
        std::vector<double> walls;
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const auto pick = [&](double sample::*field) {
                std::vector<double> values;
                for (const sample& s : samples[p]) {
                    values.push_back(s.*field);
                }
                return median(values);
            };
            const double wall = pick(&sample::wall);
            const double peak = pick(&sample::peak_mib);
            std::printf("%-10zu %-12s %8.3f %8.3f %8.3f %9.1f %8.0f %9.0f %8.2f\n", lines,
                        programs[p].first.c_str(), wall, pick(&sample::user), pick(&sample::sys), peak,
                        in_mb / wall, wall * 1e9 / static_cast<double>(lines), peak * 1048576 / 1e6 / in_mb);
            walls.push_back(wall);
        }
        // The machine's speed drifts from round to round, so the ratio is taken within each round.
        std::vector<double> ratios;
        for (int r = 0; r < runs; ++r) {
            ratios.push_back(samples[0][r].wall / samples[1][r].wall);
        }
        std::printf("%-10zu tob-list / alloc-floor wall, median of the rounds: %.2f\n", lines,
                    median(ratios));
        if (lines == 1'000'000 && wall_100k[0] > 0) {
            std::printf("%-10s 1,000,000 / 100,000 lines: tob-list %.1fx, alloc-floor %.1fx\n", "",
                        walls[0] / wall_100k[0], walls[1] / wall_100k[1]);
        }
        if (lines == 100'000) {
            wall_100k = {walls[0], walls[1]};
        }
    }
    std::filesystem::remove_all(root);
    return 0;
}
