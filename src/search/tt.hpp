// The transposition table.
//
// An entry keeps a best move and two independent bounds, each with the depth
// it was searched to, so a fail-high and a fail-low of one position live side
// by side. Entries sit in overlapping four-slot buckets starting at
// keyLow & indexMask; the high half of the key identifies the position.
// Replacement takes the slot with the highest rating age * 256 - entryDepth:
// first the entries of older searches, then the shallow ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/position.hpp"
#include "board/types.hpp"

namespace tallomir {

// An entry of zero bytes is empty, so that memory the system hands over
// zeroed is an empty table without a clearing pass: depths are kept raised by
// 128 (0 is DEPTH_NONE) and each bound with its own empty value xor-ed out.
// Searches are told apart by a generation counted modulo this.
inline constexpr int GENERATIONS = 16;

struct TTEntry {
    std::uint32_t check;      // high half of the position key
    std::uint16_t move;       // best or refuting move, 0 none
    std::uint8_t entryDepth;  // greatest depth stored; rates the entry for replacement
    std::uint8_t generation;  // 0..15, the last search that stored or probed it
    std::uint8_t moveDepth;
    std::uint8_t lowerDepth;
    std::uint8_t upperDepth;
    std::int16_t lowerBound;  // node-relative mate distances
    std::int16_t upperBound;
};
static_assert(sizeof(TTEntry) == 16, "the size rule counts on 16-byte entries");

inline constexpr int TT_BUCKET_SIZE = 4;

inline constexpr int DEPTH_NONE = -128;
inline constexpr int DEPTH_PV = -127;  // a principal-variation move without a score
inline constexpr int NO_LOWER = -30000;
inline constexpr int NO_UPPER = 30000;

// A depth as an entry keeps it.
inline int depthOf(std::uint8_t stored) { return stored + DEPTH_NONE; }

struct TTProbe {
    Move move;
    int lowerDepth;
    int upperDepth;
    int lowerBound;
    int upperBound;
};

// The "Hash" option's default, in megabytes; values below 4 also give it.
inline constexpr int DEFAULT_HASH_MEGABYTES = 16;
// Megabytes for a "Hash" value: values below 4 give 16, values above 1024 give 1024.
int ttMegabytes(int hashOption);

class TranspositionTable {
public:
    TranspositionTable() = default;
    TranspositionTable(const TranspositionTable&) = delete;
    TranspositionTable& operator=(const TranspositionTable&) = delete;
    ~TranspositionTable() { release(); }

    // Sizes the table to the largest power of two of bytes not above the
    // megabytes, plus three spare entries, empty. False, and no table, when
    // the memory cannot be had.
    bool allocate(int hashOption);
    void release();
    void clear();
    // A new search from the root position: its entries rate as the newest,
    // and with few men left every store overwrites (deep results of earlier
    // searches must not crowd out the endgame's exact ones).
    void newSearch(const Position& root);
    // Inline: every search node probes, and most find nothing.
    bool probe(std::uint32_t keyLow, std::uint32_t keyHigh, TTProbe& out) {
        if (!entries_) return false;
        TTEntry* bucket = entries_ + (keyLow & indexMask_);
        for (int i = 0; i < TT_BUCKET_SIZE; ++i) {
            TTEntry& e = bucket[i];
            if (e.check != keyHigh) continue;
            // A position whose key has a zero high half matches an empty entry,
            // which then takes the generation: the table is no longer all zero.
            written_ = true;
            e.generation = static_cast<std::uint8_t>(generation_);
            out.move = e.move;
            out.lowerDepth = depthOf(e.lowerDepth);
            out.upperDepth = depthOf(e.upperDepth);
            out.lowerBound = e.lowerBound ^ NO_LOWER;
            out.upperBound = e.upperBound ^ NO_UPPER;
            return true;
        }
        return false;
    }
    void store(std::uint32_t keyLow, std::uint32_t keyHigh, Move move, int depth, int lower, int upper);
    // Share of the entries stored by this search, in permille.
    double hashfullPermille() const;
    std::uint32_t entryCount() const { return entryCount_; }
    std::size_t bytes() const { return static_cast<std::size_t>(entryCount_) * sizeof(TTEntry); }

    // Fetches the bucket of a key towards the cache ahead of its probe.
    void prefetch(std::uint32_t keyLow) const {
        if (!entries_) return;
        const TTEntry* bucket = entries_ + (keyLow & indexMask_);
        __builtin_prefetch(bucket);
        __builtin_prefetch(bucket + 3);  // a bucket may straddle two cache lines
    }

private:
    void newGeneration(int generation);

    TTEntry* entries_ = nullptr;
    std::uint32_t entryCount_ = 0;  // buckets + 3 spare entries
    std::uint32_t indexMask_ = 0;
    int generation_ = 0;
    int ageDistance_[GENERATIONS] = {};
    std::uint32_t hashfullCount_ = 0;
    bool alwaysReplace_ = false;  // few men left: every store overwrites
    bool written_ = false;        // an entry changed since the table was made or cleared
};

}  // namespace tallomir
