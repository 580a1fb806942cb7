// Times tob-list with mimalloc and with the C library's allocator on generated tables of
// 10,000, 100,000 and 1,000,000 lines, beside the allocation floor under each allocator, cat
// (the I/O floor) and an awk one-liner printing the same listing. Prints the medians of RUNS
// rounds, and ratios taken within each round. Given two builds of tob-list, times them
// against each other instead. Usage: tob-bench [RUNS [A B]]
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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

// Runs argv in `dir` through bench-spawn, with standard output to `out_path`; returns what the
// program alone cost. Exits when it fails.
sample run(const std::string& dir, const std::vector<std::string>& argv,
           const std::string& out_path = "/dev/null")
{
    std::vector<std::string> words = {BENCH_SPAWN_BINARY, out_path};
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    int ends[2];
    if (pipe(ends) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (dup2(ends[1], 1) < 0 || chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(ends[1]);
    std::string report;
    char buffer[256];
    for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    int status = 0;
    sample s{};
    long peak_kib = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(report.c_str(), "%lf %lf %lf %ld", &s.wall, &s.user, &s.sys, &peak_kib) != 4) {
        std::fprintf(stderr, "tob-bench: %s failed\n", argv[0].c_str());
        std::exit(1);
    }
    s.peak_mib = static_cast<double>(peak_kib) / 1024;
    return s;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string read_file(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The file that `awk` names on the PATH, links followed: mawk and gawk differ in speed.
std::string which_awk()
{
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string dir; std::getline(path, dir, ':');) {
        std::error_code error;
        const auto found = std::filesystem::canonical(dir + "/awk", error);
        if (!error) {
            return found.string();
        }
    }
    return "awk (not found)";
}

// Writes the benchmark's table of `lines` lines, the header included, as dir/tob_10.csv.
// Returns its size in bytes.
std::size_t write_table(const std::string& dir, std::size_t lines)
{
    std::filesystem::create_directories(dir);
    std::string table = "c0;c1;c2;c3;c4;c5;c6;c7;c8;c9\n";
    for (std::size_t i = 1; i < lines; ++i) {
        append_bench_line(table, i);
    }
    std::ofstream(dir + "/tob_10.csv", std::ios::binary) << table;
    return table.size();
}

// Times the two builds `a` and `b` of tob-list at a million lines, `runs` rounds, each round
// running both in turn, which goes first changing from round to round. Returns 1 when their
// listings differ.
int compare(long runs, const std::string& a, const std::string& b, const std::string& dir)
{
    write_table(dir, 1'000'000);
    run(dir, {a}, dir + "/a.out");
    run(dir, {b}, dir + "/b.out");
    if (read_file(dir + "/a.out") != read_file(dir + "/b.out")) {
        std::fputs("tob-bench: the two programs list the table differently\n", stderr);
        return 1;
    }
    std::vector<double> walls[2];
    std::vector<double> ratios;
    for (long r = 0; r < runs; ++r) {
        for (const int p : {static_cast<int>(r % 2), static_cast<int>(1 - r % 2)}) {
            run(dir, {ALLOC_FLOOR_LIBC_BINARY, "999999"}); // as in the table: warm memory first
            walls[p].push_back(run(dir, {p == 0 ? a : b}).wall);
        }
        ratios.push_back(walls[0].back() / walls[1].back());
    }
    std::printf(
        "1,000,000 lines, %ld rounds, alternated\nA %s: median wall %.3f s\nB %s: median wall %.3f s\n", runs,
        a.c_str(), median(walls[0]), b.c_str(), median(walls[1]));
    std::printf("A / B wall: median of per-round ratios %.3f (lowest %.3f, highest %.3f)\n", median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    char* end = nullptr;
    const long runs = argc > 1 ? std::strtol(argv[1], &end, 10) : 5;
    if ((argc != 1 && argc != 2 && argc != 4) ||
        (argc > 1 && (*argv[1] == '\0' || *end != '\0' || runs < 1 || runs > 1000))) {
        std::fputs("usage: tob-bench [RUNS [A B]]   (RUNS: rounds per table, 1 to 1000, default 5;\n"
                   "       A, B: two builds of tob-list to time against each other at 1,000,000 lines)\n",
                   stderr);
        return 2;
    }
    std::string root = (std::filesystem::temp_directory_path() / "tob-bench-XXXXXX").string();
    if (mkdtemp(root.data()) == nullptr) {
        std::perror("tob-bench: mkdtemp");
        return 1;
    }

    if (argc == 4) {
        const int status = compare(runs, argv[2], argv[3], root);
        std::filesystem::remove_all(root);
        return status;
    }
    std::printf("awk is %s\n", which_awk().c_str());
    std::printf("%-10s %-20s %8s %8s %8s %9s %8s %9s %8s\n", "lines", "program", "wall s", "user s", "sys s",
                "peak MiB", "MB/s", "ns/line", "peak/in");
    const std::size_t sizes[] = {10'000, 100'000, 1'000'000};
    std::vector<double> walls_100k;
    int failed = 0;
    for (const std::size_t lines : sizes) {
        const std::string dir = root + "/" + std::to_string(lines);
        const double in_mb = static_cast<double>(write_table(dir, lines)) / 1e6;
        const std::string data_lines = std::to_string(lines - 1);

        const std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
            {"tob-list mimalloc", {TOB_LIST_BINARY}},
            {"tob-list libc", {TOB_LIST_LIBC_BINARY}},
            {"alloc-floor mimalloc", {ALLOC_FLOOR_BINARY, data_lines}},
            {"alloc-floor libc", {ALLOC_FLOOR_LIBC_BINARY, data_lines}},
            {"cat", {"cat", "tob_10.csv"}},
            {"awk", {"awk", "-F", "[;\t\r]+", awk_listing, "tob_10.csv"}},
        };
        // The same listing from all three, or the comparison means nothing.
        for (const std::size_t p : {0, 1, 5}) {
            run(dir, programs[p].second, dir + "/" + std::to_string(p) + ".out");
        }
        const std::string listing = read_file(dir + "/0.out");
        if (listing != read_file(dir + "/1.out") || listing != read_file(dir + "/5.out")) {
            std::fprintf(stderr, "tob-bench: the listings differ at %zu lines\n", lines);
            failed = 1;
            break;
        }

        std::vector<std::vector<sample>> samples(programs.size());
        for (long r = 0; r < runs; ++r) {
            for (std::size_t p = 0; p < programs.size(); ++p) {
                // This machine's host backs memory a process gave back only after a while, and the
                // first touch of such a page costs several times more. An untimed run of the larger
                // floor first puts every program on the same warm memory.
                run(dir, programs[3].second);
                samples[p].push_back(run(dir, programs[p].second));
            }
        }
        std::vector<double> walls;
        std::vector<double> peaks;
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const auto pick = [&](double sample::*field) {
                std::vector<double> values;
                for (const sample& s : samples[p]) {
                    values.push_back(s.*field);
                }
                return median(values);
            };
            walls.push_back(pick(&sample::wall));
            peaks.push_back(pick(&sample::peak_mib));
            std::printf("%-10zu %-20s %8.3f %8.3f %8.3f %9.1f %8.0f %9.0f %8.2f\n", lines,
                        programs[p].first.c_str(), walls[p], pick(&sample::user), pick(&sample::sys),
                        peaks[p], in_mb / walls[p], walls[p] * 1e9 / static_cast<double>(lines),
                        peaks[p] * 1048576 / 1e6 / in_mb);
        }
        // The machine's speed drifts from round to round, so a ratio of walls is taken within
        // each round and the median of the rounds printed.
        const auto wall_ratio = [&](std::size_t a, std::size_t b) {
            std::vector<double> ratios;
            for (long r = 0; r < runs; ++r) {
                ratios.push_back(samples[a][r].wall / samples[b][r].wall);
            }
            return median(ratios);
        };
        std::printf(
            "%-10zu wall: tob-list mimalloc / libc %.3f; tob-list / floor, mimalloc %.2f, libc %.2f\n", lines,
            wall_ratio(0, 1), wall_ratio(0, 2), wall_ratio(1, 3));
        std::printf("%-10zu peak: tob-list / floor, mimalloc %.3f, libc %.3f\n", lines, peaks[0] / peaks[2],
                    peaks[1] / peaks[3]);
        if (lines == 100'000) {
            walls_100k = walls;
        } else if (lines == 1'000'000 && !walls_100k.empty()) {
            std::printf("%-10s 1,000,000 / 100,000 lines, wall: tob-list mimalloc %.1fx, libc %.1fx\n", "",
                        walls[0] / walls_100k[0], walls[1] / walls_100k[1]);
        }
    }
    std::filesystem::remove_all(root);
    return failed;
}
