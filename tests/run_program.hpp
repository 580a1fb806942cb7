// Runs the built tob-list in a folder of its own and collects what it did.
#pragma once

#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

enum class output_to {
    file,       // collected for the test
    dev_full,   // every write fails as on a full disk
    closed_pipe // a pipe whose reader has gone
};

struct run_options {
    std::vector<std::string> args = {};
    output_to output = output_to::file; // where standard output goes
    rlim_t address_space = 0;           // RLIMIT_AS for the program, 0 for none
    std::string valgrind_log = {};      // run under memcheck, writing its report here
};

struct run_result {
    int status; // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// A new empty folder under the system's temporary folder; removed by remove_dir.
std::string make_temp_dir();
void remove_dir(const std::string& dir);

void write_file(const std::string& path, std::string_view bytes);
std::string read_file(const std::string& path);

// Runs the program with `dir` as its working directory.
run_result run_program(const std::string& dir, const run_options& options);
