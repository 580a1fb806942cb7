// Times tob-list with mimalloc and with the C library's allocator on generated tables of
// 10,000, 100,000 and 1,000,000 lines, beside the allocation floor under each allocator, cat
// (the I/O floor) and an awk one-liner printing the same listing. Program and floor run in two
// regimes: on huge pages where they ask for them (mimalloc by the program's own rule, the C
// library through its glibc.malloc.hugetlb tunable), and on small pages only. Prints the medians
// of RUNS rounds, and ratios taken within each round. Given two builds of tob-list, times them
// against each other instead. Usage: tob-bench [RUNS [A B]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "record_list.hpp"
#include "table.hpp"

namespace {

struct sample {
    double wall;
    double user;
    double sys;
    double peak_mib;
};

struct program {
    std::string name;
    std::vector<std::string> argv;
    bool small_pages = false; // no transparent huge pages for it
    std::string env = "";     // NAME=value added to its environment
};

// The listing as awk makes it, from the program's own rules: fields split at the delimiters
// (awk splits lines at the line feed), the first listed_fields non-empty ones run together.
std::vector<std::string> awk_argv() {
    std::string separators;
    for (const char c : field_delimiters) {
        separators += c == '\n' ? "" : c == '\t' ? "\\t" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return {"awk", "-F", "[" + separators + "]+",
            "NR > 1 { s = \"\"; n = 0; for (i = 1; i <= NF && n < " + std::to_string(listed_fields) +
                "; i++) if ($i != \"\") { s = s $i; n++ } print s } END { print \"Nacteno \" NR \" radku\" }",
            "tob_10.csv"};
}

// Runs `p` in `dir` through bench-spawn, with standard output to `out_path`; returns what the
// program alone cost. Exits when it fails.
sample run(const std::string& dir, const program& p, const std::string& out_path = "/dev/null") {
    std::vector<std::string> words = {BENCH_SPAWN_BINARY};
    if (p.small_pages) { words.emplace_back("-s"); }
    words.push_back(out_path);
    words.insert(words.end(), p.argv.begin(), p.argv.end());
    std::vector<char*> pointers;
    for (std::string& word : words) { pointers.push_back(word.data()); }
    pointers.push_back(nullptr);
    int ends[2];
    if (pipe(ends) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    std::string env = p.env;
    const pid_t pid = fork();
    if (pid == 0) {
        if (dup2(ends[1], 1) < 0 || chdir(dir.c_str()) != 0 || (!env.empty() && putenv(env.data()) != 0)) {
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
        std::fprintf(stderr, "tob-bench: %s failed\n", p.argv[0].c_str());
        std::exit(1);
    }
    s.peak_mib = static_cast<double>(peak_kib) / 1024;
    return s;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string read_file(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// Writes the benchmark's table of `lines` lines, the header included, as dir/tob_10.csv.
// Returns its size in bytes.
std::size_t write_table(const std::string& dir, std::size_t lines) {
    std::filesystem::create_directories(dir);
    std::string table = "c0;c1;c2;c3;c4;c5;c6;c7;c8;c9\n";
    for (std::size_t i = 1; i < lines; ++i) { append_bench_line(table, i); }
    std::ofstream(dir + "/tob_10.csv", std::ios::binary) << table;
    return table.size();
}

// The C library's tunable that puts its heap on huge pages (glibc 2.35 and later).
constexpr const char* glibc_huge_pages = "GLIBC_TUNABLES=glibc.malloc.hugetlb=1";

// Runs `timed` after an untimed run of the C library's floor for a million lines on the same
// pages. This machine's host takes back memory that no process has used for a second or so, and
// the first touch of such a page costs several times more: the floor first puts every program
// on memory the machine has just backed, of the kind of page it will ask for.
sample warm_run(const std::string& dir, const program& timed) {
    run(dir, {"warm-up", {ALLOC_FLOOR_LIBC_BINARY, "999999"}, timed.small_pages, glibc_huge_pages});
    return run(dir, timed);
}

// Times the two builds `a` and `b` of tob-list at a million lines, `runs` rounds, each round
// running both in turn, which goes first changing from round to round. Returns 1 when their
// listings differ.
int compare(long runs, const std::string& a, const std::string& b, const std::string& dir) {
    write_table(dir, 1'000'000);
    const program programs[2] = {{"A", {a}}, {"B", {b}}};
    run(dir, programs[0], dir + "/a.out");
    run(dir, programs[1], dir + "/b.out");
    if (read_file(dir + "/a.out") != read_file(dir + "/b.out")) {
        std::fputs("tob-bench: the two programs list the table differently\n", stderr);
        return 1;
    }
    std::vector<double> walls[2];
    std::vector<double> ratios;
    for (long r = 0; r < runs; ++r) {
        for (const int p : {static_cast<int>(r % 2), static_cast<int>(1 - r % 2)}) {
            walls[p].push_back(warm_run(dir, programs[p]).wall);
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

// The programs timed on a table of `lines` lines: tob-list and its floor under each allocator in
// each regime, then cat and awk.
std::vector<program> programs_for(std::size_t lines) {
    const std::string data_lines = std::to_string(lines - 1);
    std::vector<program> programs;
    for (const bool small : {false, true}) {
        const std::string pages = small ? " small" : " huge";
        programs.push_back({"tob-list mimalloc" + pages, {TOB_LIST_BINARY}, small});
        programs.push_back({"floor mimalloc" + pages, {ALLOC_FLOOR_BINARY, data_lines}, small});
        programs.push_back(
            {"tob-list libc" + pages, {TOB_LIST_LIBC_BINARY}, small, small ? "" : glibc_huge_pages});
        programs.push_back({"floor libc" + pages,
                            {ALLOC_FLOOR_LIBC_BINARY, data_lines},
                            small,
                            small ? "" : glibc_huge_pages});
    }
    programs.push_back({"cat", {"cat", "tob_10.csv"}});
    programs.push_back({"awk", awk_argv()});
    return programs;
}

} // namespace

int main(int argc, char** argv) {
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
    std::printf("%-10s %-24s %8s %8s %8s %9s %8s %9s %8s\n", "lines", "program", "wall s", "user s", "sys s",
                "peak MiB", "MB/s", "ns/line", "peak/in");
    int failed = 0;
    for (const std::size_t lines : {10'000, 100'000, 1'000'000}) {
        const std::string dir = root + "/" + std::to_string(lines);
        const double in_mb = static_cast<double>(write_table(dir, lines)) / 1e6;
        const std::vector<program> programs = programs_for(lines);
        // Every build of tob-list and awk list alike, or the comparison means nothing.
        std::string listing;
        for (const program& p : programs) {
            if (p.name.starts_with("floor") || p.name == "cat") { continue; }
            run(dir, p, dir + "/out");
            const std::string out = read_file(dir + "/out");
            if (!listing.empty() && out != listing) {
                std::fprintf(stderr, "tob-bench: %s lists %zu lines otherwise\n", p.name.c_str(), lines);
                failed = 1;
            }
            listing = out;
        }
        if (failed != 0) { break; }
        std::vector<std::vector<sample>> samples(programs.size());
        for (long r = 0; r < runs; ++r) {
            for (std::size_t p = 0; p < programs.size(); ++p) {
                samples[p].push_back(warm_run(dir, programs[p]));
            }
        }
        std::vector<double> peaks;
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const auto pick = [&](double sample::*field) {
                std::vector<double> values;
                for (const sample& s : samples[p]) { values.push_back(s.*field); }
                return median(values);
            };
            const double wall = pick(&sample::wall);
            peaks.push_back(pick(&sample::peak_mib));
            std::printf("%-10zu %-24s %8.3f %8.3f %8.3f %9.1f %8.0f %9.0f %8.2f\n", lines,
                        programs[p].name.c_str(), wall, pick(&sample::user), pick(&sample::sys), peaks[p],
                        in_mb / wall, wall * 1e9 / static_cast<double>(lines),
                        peaks[p] * 1048576 / 1e6 / in_mb);
        }
        // The machine's speed drifts from round to round, so a ratio of walls is taken within
        // each round and the median of the rounds printed.
        const auto wall_ratio = [&](std::size_t a, std::size_t b) {
            std::vector<double> ratios;
            for (long r = 0; r < runs; ++r) { ratios.push_back(samples[a][r].wall / samples[b][r].wall); }
            return median(ratios);
        };
        // Rows 0 to 3 on huge pages, 4 to 7 on small ones: tob-list and floor, mimalloc then libc.
        for (const std::size_t at : {0, 4}) {
            std::printf(
                "%-10zu %s pages, wall: tob-list mimalloc / libc %.3f; tob-list / floor, mimalloc %.2f, "
                "libc %.2f; peak: tob-list / floor, mimalloc %.3f, libc %.3f\n",
                lines, at == 0 ? "huge" : "small", wall_ratio(at, at + 2), wall_ratio(at, at + 1),
                wall_ratio(at + 2, at + 3), peaks[at] / peaks[at + 1], peaks[at + 2] / peaks[at + 3]);
        }
        std::printf("%-10zu wall, huge / small pages: tob-list mimalloc %.3f, libc %.3f\n", lines,
                    wall_ratio(0, 4), wall_ratio(2, 6));
    }
    std::filesystem::remove_all(root);
    return failed;
}
