// The platform layer on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.hpp"

namespace tallomir::platform {

namespace {
HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }
}  // namespace

// Output in the C library's text mode, so that every line ends in CR LF as
// Windows programs write them. There is no signal for a reader that went
// away: a write to a closed pipe just fails.
void initialiseConsole() {
    _setmode(_fileno(stdout), _O_TEXT);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

// The bytes come unchanged from the system (the reader takes CR LF line ends
// as they are); the C library's text-mode read would also end the input at
// the first Ctrl+Z byte. A pipe whose writer has gone reports "broken pipe":
// that is the end of the input.
long readInput(int fd, char* buffer, std::size_t capacity) {
    const DWORD wanted = capacity > 0x40000000 ? 0x40000000 : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (ReadFile(handleOf(fd), buffer, wanted, &got, nullptr)) return static_cast<long>(got);
    const DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? 0 : -1;
}

// The kind of input is decided on the first check: a console (its mode can
// be read) or anything else, taken as a pipe. It is decided again only if the
// descriptor stands for another handle than before.
//
// A console counts input events, not bytes: window and mouse events are
// switched off and any events pending from before the search are discarded,
// and only two or more events count as waiting input, since one keystroke
// alone is two events (key down, key up). A pipe is asked how many bytes wait
// without reading them; a peek that fails (the writer is gone, or the handle
// is no pipe at all, e.g. a file) counts as waiting input, so that the next
// read meets the end of the input, or simply reads the next line of a file.
bool inputWaiting(int fd) {
    static HANDLE input = nullptr;
    static bool inputKindKnown = false;
    static bool inputIsPipe = false;

    const HANDLE handle = handleOf(fd);
    if (!inputKindKnown || handle != input) {
        input = handle;
        inputKindKnown = true;
        DWORD mode = 0;
        inputIsPipe = !GetConsoleMode(handle, &mode);
        if (!inputIsPipe) {
            SetConsoleMode(handle, mode & ~static_cast<DWORD>(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
            FlushConsoleInputBuffer(handle);
        }
    }
    if (inputIsPipe) {
        DWORD bytes = 0;
        if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &bytes, nullptr)) return true;
        return bytes > 0;
    }
    DWORD events = 0;
    GetNumberOfConsoleInputEvents(handle, &events);
    return events > 1;
}

std::uint64_t tickCount() { return GetTickCount64(); }

// The C library's clock() of Windows counts wall time, not processor time.
double processorSeconds() {
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0.0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;  // units of 100 ns
}

namespace {
// Large pages need the "lock pages in memory" right, which an administrator
// grants to an account; a process that holds it must still switch it on. One
// attempt, at the first big table: the size of a large page when it worked,
// else 0 (ordinary pages, no message).
std::size_t largePageSize() {
    static const std::size_t size = [] {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return std::size_t{0};
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        // AdjustTokenPrivileges succeeds even when the right is not held; the
        // last error then says ERROR_NOT_ALL_ASSIGNED.
        const bool enabled = LookupPrivilegeValueW(nullptr, L"SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                             AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                             GetLastError() == ERROR_SUCCESS;
        CloseHandle(token);
        return enabled ? static_cast<std::size_t>(GetLargePageMinimum()) : std::size_t{0};
    }();
    return size;
}
}  // namespace

// Committed memory comes zeroed from the system. A table of at least one
// large page is rounded up to whole large pages and placed on them when the
// process may (large pages are in memory from the start); otherwise, or when
// the system has no free large pages left, it gets ordinary pages, which are
// touched here one by one so that the system maps them now.
void* allocateTable(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (const std::size_t page = largePageSize(); page > 0 && bytes >= page) {
        const std::size_t size = (bytes + page - 1) / page * page;
        if (void* table = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE))
            return table;
    }
    void* table = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (table) {
        volatile char* p = static_cast<volatile char*>(table);
        for (std::size_t i = 0; i < bytes; i += 4096) p[i] = 0;
    }
    return table;
}

void freeTable(void* table, std::size_t) {
    if (table) VirtualFree(table, 0, MEM_RELEASE);
}

void runCommandLoop(bool (*step)(void*), void* context) {
    while (step(context)) {
    }
}

}  // namespace tallomir::platform
