// Runs one program for the benchmark and reports what it cost. A child's peak memory counts
// the memory of the process it was forked from, so the benchmark, which holds its tables,
// forks this small process and lets it fork the program. With -s the program runs on small
// pages only: the kernel gives it no transparent huge pages, whatever it asks for.
// Usage: bench-spawn [-s] OUTPUT PROGRAM [ARG...]; prints "wall user sys peak_kib" on success.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double seconds(timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

} // namespace

int main(int argc, char** argv) {
    const bool small_pages = argc > 1 && std::strcmp(argv[1], "-s") == 0;
    argv += small_pages ? 1 : 0;
    argc -= small_pages ? 1 : 0;
    if (argc < 3) {
        std::fputs("usage: bench-spawn [-s] OUTPUT PROGRAM [ARG...]\n", stderr);
        return 2;
    }
    if (small_pages && prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0) { // kept across fork and exec
        std::perror("bench-spawn: prctl");
        return 1;
    }
    timespec start{};
    timespec stop{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || dup2(out, 1) < 0) { _exit(126); }
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        std::perror("bench-spawn");
        return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &stop);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench-spawn: %s ended with status %d\n", argv[2], status);
        return 1;
    }
    const double wall = static_cast<double>(stop.tv_sec - start.tv_sec) +
                        static_cast<double>(stop.tv_nsec - start.tv_nsec) / 1e9;
    std::printf("%.6f %.6f %.6f %ld\n", wall, seconds(usage.ru_utime), seconds(usage.ru_stime),
                usage.ru_maxrss);
    return 0;
}
