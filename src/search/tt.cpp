#include "search/tt.hpp"

#include <cstring>

#include "platform/platform.hpp"

namespace tallomir {

namespace {

constexpr int SPARE_ENTRIES = 3;
constexpr int MIN_MEGABYTES = 4;
constexpr int MAX_MEGABYTES = 1024;
// Fewer men than this of each side (kings included) make every store overwrite.
constexpr int FEW_MEN = 3;

// The stored forms of depths and bounds; see TTEntry.
inline std::uint8_t storedDepth(int depth) { return static_cast<std::uint8_t>(depth - DEPTH_NONE); }
inline std::int16_t storedLower(int bound) { return static_cast<std::int16_t>(bound ^ NO_LOWER); }
inline std::int16_t storedUpper(int bound) { return static_cast<std::int16_t>(bound ^ NO_UPPER); }

}  // namespace

int ttMegabytes(int hashOption) {
    if (hashOption < MIN_MEGABYTES) return DEFAULT_HASH_MEGABYTES;
    return hashOption > MAX_MEGABYTES ? MAX_MEGABYTES : hashOption;
}

bool TranspositionTable::allocate(int hashOption) {
    release();
    const std::uint64_t limit = static_cast<std::uint64_t>(ttMegabytes(hashOption)) << 20;
    std::uint64_t power = 1;
    while (power <= limit) power <<= 1;
    const std::uint64_t buckets = power / 32;  // half the power of two, in 16-byte entries
    entryCount_ = static_cast<std::uint32_t>(buckets + SPARE_ENTRIES);
    indexMask_ = static_cast<std::uint32_t>(buckets - 1);
    // The system hands the memory over zeroed, which is an empty table.
    entries_ = static_cast<TTEntry*>(platform::allocateTable(bytes()));
    if (!entries_) {
        entryCount_ = 0;
        indexMask_ = 0;
        return false;
    }
    newGeneration(0);
    written_ = false;
    return true;
}

void TranspositionTable::release() {
    platform::freeTable(entries_, bytes());
    entries_ = nullptr;
    entryCount_ = 0;
    indexMask_ = 0;
}

void TranspositionTable::newSearch(const Position& root) {
    newGeneration((generation_ + 1) % GENERATIONS);
    alwaysReplace_ = root.pieceCount[0] < FEW_MEN && root.pieceCount[1] < FEW_MEN;
}

void TranspositionTable::newGeneration(int g) {
    generation_ = g;
    for (int i = 0; i < GENERATIONS; ++i) ageDistance_[i] = (g - i) & (GENERATIONS - 1);
    hashfullCount_ = 0;
}

// A table nothing was stored in since it was made or cleared is still all
// zero bytes: clearing it again would only touch every page of it.
void TranspositionTable::clear() {
    newGeneration(0);
    if (entries_ && written_) std::memset(entries_, 0, bytes());
    written_ = false;
}

void TranspositionTable::store(std::uint32_t keyLow, std::uint32_t keyHigh, Move move, int depth, int lower,
                               int upper) {
    if (!entries_) return;
    written_ = true;
    TTEntry* bucket = entries_ + (keyLow & indexMask_);
    TTEntry* victim = nullptr;
    int victimRating = 0;
    for (int i = 0; i < TT_BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        if (e.check == keyHigh) {
            // Refresh the matching entry: each part only by a search at least as deep.
            if (e.generation != generation_) {
                ++hashfullCount_;
                e.generation = static_cast<std::uint8_t>(generation_);
            }
            const bool always = alwaysReplace_;
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
    }
    // No entry of the position: the slots are rated only now, for a new one.
    for (int i = 0; i < TT_BUCKET_SIZE; ++i) {
        TTEntry& e = bucket[i];
        const int rating = ageDistance_[e.generation & (GENERATIONS - 1)] * 256 - depthOf(e.entryDepth);
        if (!victim || rating > victimRating) {
            victim = &e;
            victimRating = rating;
        }
    }
    if (victim->generation != generation_) ++hashfullCount_;
    victim->check = keyHigh;
    victim->generation = static_cast<std::uint8_t>(generation_);
    victim->entryDepth = storedDepth(depth);
    victim->move = move;
    victim->moveDepth = storedDepth(move != 0 ? depth : DEPTH_NONE);
    victim->lowerDepth = storedDepth(lower > NO_LOWER ? depth : DEPTH_NONE);
    victim->upperDepth = storedDepth(upper < NO_UPPER ? depth : DEPTH_NONE);
    victim->lowerBound = storedLower(lower);
    victim->upperBound = storedUpper(upper);
}

double TranspositionTable::hashfullPermille() const {
    if (entryCount_ == 0) return 0;
    return static_cast<double>(hashfullCount_) / static_cast<double>(entryCount_) * 1000.0;
}

}  // namespace tallomir
