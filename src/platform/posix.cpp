// The platform layer on Linux and other POSIX systems.
#include <poll.h>
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

}  // namespace tallomir::platform
