// Preloaded into tob-list by the allocation-failure test. Passes malloc, calloc, realloc and
// free on to the allocator the program would use, makes every request from the
// TOB_FAIL_FROM-th on fail with ENOMEM, and at exit writes to the file TOB_ALLOC_REPORT:
// "<requests> <blocks still live> <library that serves them>". Only tob-list itself is
// touched: under valgrind the launcher loads this library too.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct allocator {
    void* (*malloc)(std::size_t);
    void* (*calloc)(std::size_t, std::size_t);
    void* (*realloc)(void*, std::size_t);
    void (*free)(void*);
};

allocator next;
long requests = 0;  // allocation requests seen
long fail_from = 0; // the first request to fail, or 0 for none
long live = 0;      // blocks handed out and not yet freed

void resolve()
{
    if (next.free != nullptr) {
        return;
    }
    next.malloc = reinterpret_cast<void* (*)(std::size_t)>(dlsym(RTLD_NEXT, "malloc"));
    next.calloc = reinterpret_cast<void* (*)(std::size_t, std::size_t)>(dlsym(RTLD_NEXT, "calloc"));
    next.realloc = reinterpret_cast<void* (*)(void*, std::size_t)>(dlsym(RTLD_NEXT, "realloc"));
    next.free = reinterpret_cast<void (*)(void*)>(dlsym(RTLD_NEXT, "free"));
    const char* from = std::getenv("TOB_FAIL_FROM");
    if (from != nullptr && std::strcmp(program_invocation_short_name, "tob-list") == 0) {
        fail_from = std::atol(from);
    }
}

// Counts a request; true when it is to fail.
bool refuse()
{
    resolve();
    ++requests;
    if (fail_from > 0 && requests >= fail_from) {
        errno = ENOMEM;
        return true;
    }
    return false;
}

void* counted(void* block)
{
    live += block != nullptr ? 1 : 0;
    return block;
}

[[gnu::destructor]] void report()
{
    const char* path = std::getenv("TOB_ALLOC_REPORT");
    Dl_info where{};
    if (path == nullptr || std::strcmp(program_invocation_short_name, "tob-list") != 0 ||
        next.malloc == nullptr || dladdr(reinterpret_cast<void*>(next.malloc), &where) == 0) {
        return;
    }
    char line[512];
    const int size = std::snprintf(line, sizeof line, "%ld %ld %s\n", requests, live, where.dli_fname);
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0 && size > 0) {
        (void)!write(fd, line, static_cast<std::size_t>(size));
        close(fd);
    }
}

} // namespace

extern "C" {

void* malloc(std::size_t size)
{
    return refuse() ? nullptr : counted(next.malloc(size));
}

void* calloc(std::size_t count, std::size_t size)
{
    return refuse() ? nullptr : counted(next.calloc(count, size));
}

void* realloc(void* block, std::size_t size)
{
    if (refuse()) {
        return nullptr;
    }
    void* moved = next.realloc(block, size);
    if (block == nullptr && moved != nullptr) {
        ++live;
    } else if (block != nullptr && moved == nullptr && size == 0) {
        --live; // realloc to nothing freed the block
    }
    return moved;
}

void free(void* block)
{
    resolve();
    live -= block != nullptr ? 1 : 0;
    next.free(block);
}
}
