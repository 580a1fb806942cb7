// Preloaded into tob-list by the allocation-failure test. Passes malloc, calloc, realloc and
// free on to the allocator the program would use, makes every request from the
// TOB_FAIL_FROM-th on fail with ENOMEM, and when main returns writes to the file
// TOB_ALLOC_REPORT: "<requests> <blocks still live> <library that serves them>". What runs
// after main, such as the coverage data written at exit, allocates freely. Only tob-list
// itself is touched: under valgrind the launcher loads this library too.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

void* (*next_malloc)(std::size_t);
void* (*next_calloc)(std::size_t, std::size_t);
void* (*next_realloc)(void*, std::size_t);
void (*next_free)(void*);
long requests = 0;       // allocation requests seen
long fail_from = 0;      // the first request to fail, or 0 for none
long live = 0;           // blocks handed out and not yet freed
bool in_program = false; // this process is tob-list, not a launcher that loaded this too

template <typename F> void find(F& next, const char* name) {
    next = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void resolve() {
    if (next_free == nullptr) {
        find(next_malloc, "malloc");
        find(next_calloc, "calloc");
        find(next_realloc, "realloc");
        find(next_free, "free");
        in_program = std::strcmp(program_invocation_short_name, "tob-list") == 0;
        const char* from = std::getenv("TOB_FAIL_FROM");
        if (from != nullptr && in_program) { fail_from = std::atol(from); }
    }
}

// Counts a request; true, with errno set, when it is to fail.
bool refuse() {
    resolve();
    ++requests;
    if (fail_from == 0 || requests < fail_from) { return false; }
    errno = ENOMEM;
    return true;
}

void* counted(void* block) {
    live += block != nullptr ? 1 : 0;
    return block;
}

void report() {
    const char* path = std::getenv("TOB_ALLOC_REPORT");
    Dl_info where{};
    if (path != nullptr && in_program && dladdr(reinterpret_cast<void*>(next_malloc), &where) != 0) {
        const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        (void)dprintf(fd, "%ld %ld %s\n", requests, live, where.dli_fname);
        close(fd);
    }
}

using main_function = int (*)(int, char**, char**);
main_function program_main;

int reported_main(int argc, char** argv, char** envp) {
    const int status = program_main(argc, argv, envp);
    report();
    fail_from = 0;
    return status;
}

} // namespace

extern "C" {

// The C library's start, which calls main: here it calls reported_main instead.
int __libc_start_main(main_function main, int argc, char** argv, void (*init)(), void (*fini)(),
                      void (*rtld_fini)(), void* stack_end) {
    using start_function = int (*)(main_function, int, char**, void (*)(), void (*)(), void (*)(), void*);
    program_main = main;
    auto* next_start = reinterpret_cast<start_function>(dlsym(RTLD_NEXT, "__libc_start_main"));
    return next_start(reported_main, argc, argv, init, fini, rtld_fini, stack_end);
}

void* malloc(std::size_t size) { return refuse() ? nullptr : counted(next_malloc(size)); }

void* calloc(std::size_t count, std::size_t size) {
    return refuse() ? nullptr : counted(next_calloc(count, size));
}

void* realloc(void* block, std::size_t size) {
    if (refuse()) { return nullptr; }
    // The program never shrinks a block to nothing, which glibc and mimalloc treat apart.
    void* moved = next_realloc(block, size);
    live += block == nullptr && moved != nullptr ? 1 : 0;
    return moved;
}

void free(void* block) {
    resolve();
    live -= block != nullptr ? 1 : 0;
    next_free(block);
}
}
