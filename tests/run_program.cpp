#include "run_program.hpp"

#include <array>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

std::string make_temp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tob-list-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) { throw std::runtime_error("mkdtemp failed"); }
    return pattern;
}

void remove_dir(const std::string& dir) { std::filesystem::remove_all(dir); }

void write_file(const std::string& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) { throw std::runtime_error("cannot write " + path); }
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

const char* windows_program() { return std::getenv("TOB_LIST_WINDOWS_EXE"); }

const char* emulator() {
#if defined(TOB_EMULATOR)
    return TOB_EMULATOR;
#else
    return nullptr;
#endif
}

run_result run_program(const std::string& dir, const run_options& options) {
    const std::string valgrind_log = dir + "/.valgrind";
    const bool under_valgrind =
        std::getenv("TOB_LIST_VALGRIND") != nullptr && windows_program() == nullptr && emulator() == nullptr;
    std::vector<std::string> words;
    if (under_valgrind) {
        // The synonym lets memcheck see the blocks of a program linked with mimalloc.
        words = {"valgrind",
                 "--leak-check=full",
                 "--show-leak-kinds=all",
                 "--errors-for-leak-kinds=definite,indirect",
                 "--soname-synonyms=somalloc=*mimalloc*",
                 "--log-file=" + valgrind_log};
    }
    if (windows_program() != nullptr) {
        // A program that waited for a key here would hang: a time limit makes it a failure.
        words.insert(words.end(), {"timeout", "-k", "10", "120", "wine", windows_program()});
    } else {
        if (emulator() != nullptr) { words.emplace_back(emulator()); }
        const char* other = std::getenv("TOB_LIST_PROGRAM");
        words.emplace_back(other != nullptr ? other : TOB_LIST_BINARY);
    }
    words.insert(words.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (std::string& word : words) { argv.push_back(word.data()); }
    argv.push_back(nullptr);

    const std::string out_path = dir + "/.stdout";
    const std::string err_path = dir + "/.stderr";
    // A terminal's other end is opened here, so that it is open before the program writes, and
    // closed here once the program has it: reading then ends when the program has exited.
    int master = -1;
    int slave = -1;
    if (options.output == output_to::terminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        const char* name =
            master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
        slave = name != nullptr ? open(name, O_WRONLY | O_NOCTTY) : -1;
        if (slave < 0) { throw std::runtime_error("cannot open a pseudo-terminal"); }
    }
    const pid_t pid = fork();
    if (pid < 0) { throw std::runtime_error("fork failed"); }
    if (pid == 0) {
        int out = -1;
        if (options.output == output_to::closed_pipe) {
            std::array<int, 2> ends{};
            if (pipe(ends.data()) == 0 && close(ends[0]) == 0) { out = ends[1]; }
            signal(SIGPIPE, SIG_DFL); // as from a shell, whatever the test runner set
        } else if (options.output == output_to::terminal) {
            out = close(master) == 0 ? slave : -1;
        } else {
            const char* path = options.output == output_to::dev_full ? "/dev/full" : out_path.c_str();
            out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        for (const std::string& setting : options.env) {
            putenv(const_cast<char*>(setting.c_str())); // the string outlives the exec
        }
        signal(SIGXFSZ, SIG_IGN);
        for (const auto& [resource, value] : options.limits) {
            const rlimit limit{value, value};
            if (setrlimit(resource, &limit) != 0) { _exit(126); }
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    std::string shown;
    if (master >= 0) {
        close(slave);
        std::array<char, 4096> buffer{};
        // The terminal ends with the program: reading then fails with EIO.
        for (ssize_t got; (got = read(master, buffer.data(), buffer.size())) > 0;) {
            shown.append(buffer.data(), static_cast<std::size_t>(got));
        }
        close(master);
    }
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) != pid) { throw std::runtime_error("waitpid failed"); }
    run_result result{};
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = options.output == output_to::file ? read_file(out_path) : shown;
    result.err = read_file(err_path);
    if (under_valgrind) {
        result.valgrind = read_file(valgrind_log);
        std::filesystem::remove(valgrind_log);
    }
    std::filesystem::remove(out_path);
    std::filesystem::remove(err_path);
    return result;
}

testing::AssertionResult clean_under_valgrind(const run_result& got, const std::string& name,
                                              bool allocates) {
    const std::string& report = got.valgrind;
    if (report.empty()) { return testing::AssertionSuccess(); }
    const auto line_of = [&](const char* key) {
        const std::size_t at = report.find(key);
        return at == std::string::npos ? std::string() : report.substr(at, report.find('\n', at) - at);
    };
    constexpr std::string_view usage_key = "total heap usage: ";
    const std::string usage = line_of(usage_key.data());
    std::cout << "valgrind " << name << ": " << usage << "; " << line_of("ERROR SUMMARY:") << '\n';
    const bool allocated = !usage.empty() && (std::atol(usage.c_str() + usage_key.size()) > 0 || !allocates);
    // A program killed by a signal never gets to release its blocks.
    const bool freed = got.status >= 128 || report.find("All heap blocks were freed") != std::string::npos;
    if (report.find("ERROR SUMMARY: 0 errors") == std::string::npos || !allocated || !freed) {
        return testing::AssertionFailure() << report;
    }
    return testing::AssertionSuccess();
}
