// Linked into a test copy of the static program (TOB_WRAP_ALLOC), which no preloaded library can
// reach: the linker's --wrap sends every call to malloc, calloc, realloc and free, the C library's
// own among them, and with mimalloc built in every call to its mi_ functions, through here, and
// main through __wrap_main. While main runs, makes every request from the TOB_FAIL_FROM-th on
// fail with ENOMEM, and when it returns writes to the file TOB_ALLOC_REPORT "<requests> <blocks
// still live>". What the C library allocates for itself before main is not counted.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

long requests = 0;  // allocation requests seen while main runs
long fail_from = 0; // the first request to fail, or 0 for none
long live = 0;      // blocks handed out while main runs and not yet freed
bool in_main = false;

// Counts a request while main runs; true, with errno set, when it is to fail.
bool refuse() {
    if (!in_main) { return false; }
    ++requests;
    if (fail_from == 0 || requests < fail_from) { return false; }
    errno = ENOMEM;
    return true;
}

void* counted(void* block) {
    live += in_main && block != nullptr ? 1 : 0;
    return block;
}

void* moved(void* block, void* to) {
    live += in_main && block == nullptr && to != nullptr ? 1 : 0;
    return to;
}

void released(void* block) { live -= in_main && block != nullptr ? 1 : 0; }

} // namespace

extern "C" {

int __real_main(int argc, char** argv);

int __wrap_main(int argc, char** argv) {
    const char* from = std::getenv("TOB_FAIL_FROM");
    fail_from = from != nullptr ? std::atol(from) : 0;
    in_main = true;
    const int status = __real_main(argc, argv);
    in_main = false;
    const char* path = std::getenv("TOB_ALLOC_REPORT");
    if (path != nullptr) {
        const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        (void)dprintf(fd, "%ld %ld\n", requests, live);
        close(fd);
    }
    return status;
}

void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* block, std::size_t size);
void __real_free(void* block);

void* __wrap_malloc(std::size_t size) { return refuse() ? nullptr : counted(__real_malloc(size)); }
void* __wrap_calloc(std::size_t count, std::size_t size) {
    return refuse() ? nullptr : counted(__real_calloc(count, size));
}
void* __wrap_realloc(void* block, std::size_t size) {
    return refuse() ? nullptr : moved(block, __real_realloc(block, size));
}
void __wrap_free(void* block) {
    released(block);
    __real_free(block);
}

#if defined(TOB_WRAP_MIMALLOC)
void* __real_mi_malloc(std::size_t size);
void* __real_mi_calloc(std::size_t count, std::size_t size);
void* __real_mi_realloc(void* block, std::size_t size);
void __real_mi_free(void* block);

void* __wrap_mi_malloc(std::size_t size) { return refuse() ? nullptr : counted(__real_mi_malloc(size)); }
void* __wrap_mi_calloc(std::size_t count, std::size_t size) {
    return refuse() ? nullptr : counted(__real_mi_calloc(count, size));
}
void* __wrap_mi_realloc(void* block, std::size_t size) {
    return refuse() ? nullptr : moved(block, __real_mi_realloc(block, size));
}
void __wrap_mi_free(void* block) {
    released(block);
    __real_mi_free(block);
}
#endif
}
