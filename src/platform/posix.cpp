// The platform layer on Linux and other POSIX systems.
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "platform/platform.hpp"

namespace tallomir::platform {

void initialiseConsole() {
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::signal(SIGPIPE, SIG_IGN);
}

long readInput(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, capacity);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A descriptor left non-blocking by whoever started us: wait for it.
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, -1);
            continue;
        }
        return -1;
    }
}

bool inputWaiting(int fd) {
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, 0);
    if (r < 0) return errno != EINTR;  // the following read reports the trouble
    return r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL));
}

std::uint64_t tickCount() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

namespace {
constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;
constexpr std::size_t PAGE = 4096;

std::size_t mappedSize(std::size_t bytes) { return (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE; }

// Faults in the pages of a new table while the engine waits for a command
// (clearing one 2 MB page takes the kernel about a millisecond). False when
// the system has no memory for them.
bool populate(void* table, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    if (::madvise(table, size, MADV_POPULATE_WRITE) == 0) return true;
    if (errno == ENOMEM) return false;
#endif
    // A kernel without the request: writing one byte per page does the same.
    volatile char* bytes = static_cast<volatile char*>(table);
    for (std::size_t i = 0; i < size; i += PAGE) bytes[i] = 0;
    return true;
}

void* populated(void* table, std::size_t size) {
    if (populate(table, size)) return table;
    ::munmap(table, size);
    return nullptr;
}
}  // namespace

// Anonymous mappings come zeroed. A table of 2 MB or more is aligned to 2 MB
// (by mapping one huge page more and trimming) so that the kernel can back
// it with huge pages where it is allowed to (transparent huge pages in
// "madvise" mode).
void* allocateTable(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes < HUGE_PAGE) {
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return p == MAP_FAILED ? nullptr : populated(p, bytes);
    }
    const std::size_t size = mappedSize(bytes);
    void* raw = ::mmap(nullptr, size + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t tail = start + size + HUGE_PAGE - (aligned + size);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* table = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(table, size, MADV_HUGEPAGE);
#endif
    return populated(table, size);
}

void freeTable(void* table, std::size_t bytes) {
    if (!table) return;
    ::munmap(table, bytes < HUGE_PAGE ? bytes : mappedSize(bytes));
}

void runCommandLoop(bool (*step)(void*), void* context) {
    while (step(context)) {
    }
}

}  // namespace tallomir::platform
