#include "search/tt.hpp"

#include "platform/platform.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tallomir {

TranspositionTable tt;

namespace {

constexpr int BUCKET_SIZE = 4;
constexpr int SPARE_ENTRIES = 3;
constexpr int DEFAULT_MEGABYTES = 16;
constexpr int MIN_MEGABYTES = 4;
constexpr int MAX_MEGABYTES = 1024;

std::size_t tableBytes() { return static_cast<std::size_t>(tt.entryCount) * sizeof(TTEntry); }

// The stored forms of depths and bounds; see TTEntry.
inline std::uint8_t storedDepth(int depth) { return static_cast<std::uint8_t>(depth - DEPTH_NONE); }
inline int depthOf(std::uint8_t stored) { return stored + DEPTH_NONE; }
inline std::int16_t storedLower(int bound) { return static_cast<std::int16_t>(bound ^ NO_LOWER); }
inline std::int16_t storedUpper(int bound) { return static_cast<std::int16_t>(bound ^ NO_UPPER); }

}  // namespace

int ttMegabytes(int hashOption) {
    if (hashOption < MIN_MEGABYTES) return DEFAULT_MEGABYTES;
    return hashOption > MAX_MEGABYTES ? MAX_MEGABYTES : hashOption;
}

void ttAllocate(int hashOption) {
    ttFree();
    const std::uint64_t bytes = static_cast<std::uint64_t>(ttMegabytes(hashOption)) << 20;
    std::uint64_t power = 1;
    while (power <= bytes) power <<= 1;
    const std::uint64_t buckets = power / 32;  // half the power of two, in 16-byte entries
    tt.entryCount = static_cast<std::uint32_t>(buckets + SPARE_ENTRIES);
    tt.indexMask = static_cast<std::uint32_t>(buckets - 1);
    // The system hands the memory over zeroed, which is an empty table.
    tt.entries = static_cast<TTEntry*>(platform::allocateTable(tableBytes()));
    if (!tt.entries) {
        std::fprintf(stderr, "tallomir: cannot allocate the %d MB transposition table\n", ttMegabytes(hashOption));
        std::exit(1);
    }
    ttNewGeneration(0);
}

void ttFree() {
    platform::freeTable(tt.entries, tableBytes());
    tt.entries = nullptr;
    tt.entryCount = 0;
    tt.indexMask = 0;
}

void ttNewGeneration(int generation) {
    tt.generation = generation;
    for (int g = 0; g < 16; ++g) tt.ageDistance[g] = (generation - g) & 15;
    tt.hashfullCount = 0;
}

void ttClear() {
    ttNewGeneration(0);
    if (tt.entries) std::memset(tt.entries, 0, tableBytes());
}

bool ttProbe(std::uint32_t keyLow, std::uint32_t keyHigh, TTProbe& out) {
    if (!tt.entries) return false;
    TTEntry* bucket = tt.entries + (keyLow & tt.indexMask);
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check != keyHigh) continue;
        e.generation = static_cast<std::uint8_t>(tt.generation);
        out.move = e.move;
        out.lowerDepth = depthOf(e.lowerDepth);
        out.upperDepth = depthOf(e.upperDepth);
        out.lowerBound = e.lowerBound ^ NO_LOWER;
        out.upperBound = e.upperBound ^ NO_UPPER;
        return true;
    }
    return false;
}

void ttStore(std::uint32_t keyLow, std::uint32_t keyHigh, Move move, int depth, int lower, int upper) {
    if (!tt.entries) return;
    TTEntry* bucket = tt.entries + (keyLow & tt.indexMask);
    TTEntry* victim = nullptr;
    int victimRating = 0;
    for (int i = 0; i < BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check == keyHigh) {
            // Refresh the matching entry: each part only by a search at least as deep.
            if (e.generation != tt.generation) {
                ++tt.hashfullCount;
                e.generation = static_cast<std::uint8_t>(tt.generation);
            }
            const bool always = tt.alwaysReplace;
            if (always || depth > depthOf(e.entryDepth)) e.entryDepth = storedDepth(depth);
            if (move != 0 && (always || depth >= depthOf(e.moveDepth))) {
                e.moveDepth = storedDepth(depth);
                e.move = move;
            }
            if (lower > NO_LOWER && (always || depth >= depthOf(e.lowerDepth))) {
                e.lowerDepth = storedDepth(depth);
                e.lowerBound = storedLower(lower);
            }
            if (upper < NO_UPPER && (always || depth >= depthOf(e.upperDepth))) {
                e.upperDepth = storedDepth(depth);
                e.upperBound = storedUpper(upper);
            }
            return;
        }
        const int rating = tt.ageDistance[e.generation & 15] * 256 - depthOf(e.entryDepth);
        if (!victim || rating > victimRating) {
            victim = &e;
            victimRating = rating;
        }
    }
    if (victim->generation != tt.generation) ++tt.hashfullCount;
    victim->check = keyHigh;
    victim->generation = static_cast<std::uint8_t>(tt.generation);
    victim->entryDepth = storedDepth(depth);
    victim->move = move;
    victim->moveDepth = storedDepth(move != 0 ? depth : DEPTH_NONE);
    victim->lowerDepth = storedDepth(lower > NO_LOWER ? depth : DEPTH_NONE);
    victim->upperDepth = storedDepth(upper < NO_UPPER ? depth : DEPTH_NONE);
    victim->lowerBound = storedLower(lower);
    victim->upperBound = storedUpper(upper);
}

}  // namespace tallomir
