// The platform layer of the WebAssembly build (emscripten), which runs in a
// browser's Web Worker and as a console program under Node.js. Input comes
// through the JavaScript of src/platform/wasm/: a ring of bytes in shared
// memory that the host writes, or, where the page has no shared memory, a
// queue that the worker fills between commands.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.hpp"

extern "C" {
// Blocks until input arrives; 0 at its end.
long tallomir_read_input(char* buffer, std::size_t capacity);
int tallomir_input_waiting();
double tallomir_processor_seconds();
}

namespace tallomir::platform {

void initialiseConsole() {
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

// Only standard input exists here.
long readInput(int fd, char* buffer, std::size_t capacity) {
    if (fd != 0 || capacity == 0) return -1;
    return tallomir_read_input(buffer, capacity);
}

bool inputWaiting(int fd) { return fd != 0 || tallomir_input_waiting() != 0; }

std::uint64_t tickCount() { return static_cast<std::uint64_t>(emscripten_get_now()); }

double processorSeconds() { return tallomir_processor_seconds(); }

namespace {
constexpr std::size_t TABLE_ALIGNMENT = 64;
}

// The heap grows on demand up to the build's limit; a table it cannot hold
// is refused (malloc returns null instead of aborting). Memory reused from
// an earlier table is not zero, so the table is cleared here.
void* allocateTable(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    const std::size_t size = (bytes + TABLE_ALIGNMENT - 1) / TABLE_ALIGNMENT * TABLE_ALIGNMENT;
    if (size < bytes) return nullptr;
    void* table = std::aligned_alloc(TABLE_ALIGNMENT, size);
    if (table) std::memset(table, 0, size);
    return table;
}

void freeTable(void* table, std::size_t) { std::free(table); }

namespace {
// The loop's step while it runs; kept here so that the loop can be resumed
// after the host has had control back.
struct CommandLoop {
    bool (*step)(void*) = nullptr;
    void* context = nullptr;
};
CommandLoop commandLoop;
}  // namespace

void runCommandLoop(bool (*step)(void*), void* context) {
    commandLoop = {step, context};
    while (step(context)) {
    }
}

}  // namespace tallomir::platform

// Without shared memory, a read that finds no input unwinds the engine to
// the worker's event loop; when the next line arrives the worker comes back
// here and the command loop carries on where it was, every state of the
// engine being kept outside the unwound frames.
extern "C" EMSCRIPTEN_KEEPALIVE void tallomir_resume() {
    const auto loop = tallomir::platform::commandLoop;
    tallomir::platform::runCommandLoop(loop.step, loop.context);
    std::fflush(stdout);
    std::exit(0);
}
