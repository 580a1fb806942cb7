// Runs the built tob-list in a folder of its own and collects what it did.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

enum class output_to {
    file,        // collected for the test
    dev_full,    // every write fails as on a full disk
    closed_pipe, // a pipe whose reader has gone
    terminal     // a pseudo-terminal, collected for the test: each line feed arrives as CR LF
};

struct run_options {
    std::vector<std::string> args = {};
    output_to output = output_to::file; // where standard output goes
    // Resource limits for the program, such as {RLIMIT_AS, bytes}; SIGXFSZ is ignored, so that
    // a write beyond RLIMIT_FSIZE fails instead of killing it.
    std::vector<std::pair<int, rlim_t>> limits = {};
    std::vector<std::string> env = {}; // NAME=value settings added to the program's environment
};

struct run_result {
    int status; // exit status, or 128 + signal number
    std::string out;
    std::string err;
    std::string valgrind; // memcheck's report, when TOB_LIST_VALGRIND is set
};

// A new empty folder under the system's temporary folder; removed by remove_dir.
std::string make_temp_dir();
void remove_dir(const std::string& dir);

void write_file(const std::string& path, std::string_view bytes);
std::string read_file(const std::string& path);

// The Windows build to run under Wine in place of the program, from the environment variable
// TOB_LIST_WINDOWS_EXE, or null.
const char* windows_program();

// The emulator that runs programs of the machine the tests were built for, such as
// qemu-aarch64-static, or null when this machine runs them itself.
const char* emulator();

// Runs the program, or the build of it that the environment variable TOB_LIST_PROGRAM names (a
// static download, say), with `dir` as its working directory: under Wine when windows_program()
// names one, else under emulator() when there is one, else under valgrind's memcheck when the
// environment variable TOB_LIST_VALGRIND is set.
run_result run_program(const std::string& dir, const run_options& options);

// True unless memcheck ran and found an error, saw no allocation where `allocates`, or, for a
// program that exited rather than died of a signal, a block left unfreed. Prints its summary.
testing::AssertionResult clean_under_valgrind(const run_result& got, const std::string& name,
                                              bool allocates = true);
