// The few services the engine takes from the operating system: console set-up,
// reading standard input, the non-blocking input check of the search, the two
// clocks. One source file per platform implements them, chosen by the build;
// nothing else in the engine knows which system it runs on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tallomir::platform {

// Standard input and output unbuffered; a reader that goes away must not end
// the process (its writes simply fail, and the end of the input ends it).
void initialiseConsole();

// Blocks until input arrives on descriptor fd. Returns the number of bytes
// read into buffer, 0 at the end of the input, -1 on an error that a later
// read may not repeat.
long readInput(int fd, char* buffer, std::size_t capacity);

// Non-blocking: true when a read of fd would not wait (a byte is waiting, the
// input has ended, or the read would report an error).
bool inputWaiting(int fd);

// Milliseconds of a monotonic clock, 64 bits wide: a 32-bit count wraps after
// 49.7 days of uptime and would freeze the search clock mid-search.
std::uint64_t tickCount();

// Processor time used by the process, in seconds.
double processorSeconds();

// Memory for a big table (the transposition table, the evaluation caches),
// handed over by the system already zeroed, so that a new table needs no
// clearing pass; nullptr when the system refuses. Where the system offers
// large pages for it (transparent huge pages on Linux, large pages on Windows
// for a process that holds the right), the table gets them: the search reads
// it at random, and large pages save most address-translation misses. Its
// pages are in memory on return: a page first touched by the search would
// cost the search's clock the system's work of clearing it.
void* allocateTable(std::size_t bytes);
// Gives back a table of allocateTable (nullptr is ignored).
void freeTable(void* table, std::size_t bytes);

// The command loop: calls step(context) until it returns false. A host that
// must have control back while the engine waits for input (a browser worker
// without shared memory) leaves this call from inside the read and later
// carries on calling step itself, so context must outlive the return from
// main; the process then ends when step returns false.
void runCommandLoop(bool (*step)(void*), void* context);

// True when the processor counts the set bits of a 64-bit word in one
// instruction that the portable build may not assume. On x86-64 the baseline
// lacks it, so the processor is asked; 64-bit ARM always has it (its vector
// count belongs to the base instruction set), and so does WebAssembly
// (i64.popcnt).
inline bool hasPopcount() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt");
#elif defined(__aarch64__) || defined(__wasm__)
    return true;
#else
    return false;
#endif
}

}  // namespace tallomir::platform

// Marks a function compiled for the counting instruction of hasPopcount(); it
// may be called only when hasPopcount() is true.
#if defined(__x86_64__) || defined(__i386__)
#define TALLOMIR_POPCOUNT_TARGET [[gnu::target("popcnt")]]
#else
#define TALLOMIR_POPCOUNT_TARGET
#endif
