// The state of one search: its limits, the controls input sets while it runs,
// the time-control flags, statistics, the root report, the poll counters and
// the clock. It lives from one "go" to the next; SearchState::reset() starts
// it afresh.
#pragma once

#include <cstdint>

#include "board/position.hpp"
#include "board/types.hpp"

namespace tallomir {

// Limits that follow from the deepest ply a search may reach.
inline constexpr int MAX_SEARCH_PLY = 255;
inline constexpr int MAX_PLY = MAX_SEARCH_PLY + 1;  // rows of the tables indexed by ply
inline constexpr int PV_CAPACITY = MAX_PLY + 1;     // a move per ply up to the deepest ply, and the terminator
// A game's key history is compacted past this many entries before the next
// move, which leaves room for twice the deepest search on top of any game.
inline constexpr int HISTORY_COMPACT_AT = KEY_HISTORY_SIZE - 2 * MAX_PLY;
inline constexpr int POLL_INTERVAL = 10000;

struct SearchLimits {
    bool holdSearch;  // "infinite" or "ponder": no limit ends the search
    bool depthLimited;
    int maxDepth;  // plies
    bool timeLimited;
    bool nodeLimited;
    std::uint64_t maxNodes;  // the search ends once it has visited this many nodes
    double softTime;         // seconds: no new iteration after it
    double hardTime;         // seconds: the running iteration is abandoned after it
    int iterationCap;        // 0, or a last iteration below the edition's (harnesses that search thousands of times)
};

// What input during a search asks of it ("stop", "ponderhit", "quit"); the
// searcher's requestStop, releaseHold and abortSearch set these.
struct SearchControls {
    bool holding;         // the "infinite" or "ponder" hold, until "ponderhit" or "stop" releases it
    bool stopRequested;   // "stop" arrived: the search ends once the first iteration is done
    bool abortRequested;  // "quit" arrived: the search ends at the next poll
};

struct TimeControl {
    bool firstIterationDone;  // until then the search is never unwound
    bool stopAfterIteration;
    int previousScore;
    bool scoreDropped;
    bool scoreDroppedBefore;
    bool bestMoveChanged;
    bool easyMove;
};

struct SearchStats {
    std::uint64_t nodes;
    int selDepth;
    double elapsed;  // seconds, snapshot of updateStats
    double nps;
    double cpuLoad;   // 0..1
    double hashfull;  // permille of the transposition table stored by this search
};

// Bounds of the reported best score.
inline constexpr int BOUND_NONE = 0, BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_EXACT = 3;

struct RootReport {
    Move bestMove;
    int bestScore;
    int bestBound;
    int bestDepth;
    Move pv[PV_CAPACITY];
};

// Where the running search's clocks started, in seconds.
struct SearchClock {
    double wallStart;
    double cpuStart;
};

struct SearchState {
    SearchLimits limits;
    SearchControls controls;
    TimeControl time;
    SearchStats stats;
    RootReport report;
    int pollCountdown;
    int rootDepth;         // plies of the running iteration
    int currentMoveIndex;  // root move being searched
    SearchClock clock;

    // A new search under the limits: everything but the clock cleared.
    void reset(const SearchLimits& searchLimits = {});
    void startClock();
    double elapsedWallTime() const;
    double measureCpuLoad() const;
    // Snapshot of elapsed time, speed and load into stats (not the hashfull).
    void updateStats();

    // Time-control rules applied by the driver, the poll and the root search.
    // Returns whether the driver starts iteration depth + 1.
    bool iterationEndTest(int depth, int rootMoveCount, int firstScore, int secondScore);
    // A node-limited search has visited its nodes.
    bool nodesSpent() const { return limits.nodeLimited && stats.nodes >= limits.maxNodes; }
    void pollLimitTest();
    void applyScoreDropRule();
    void applyNewLeaderRule();
};

// What the protocol layer (or the developer tool) wants to hear from the
// search; each call sees the running search's state. The search never reads
// input or prints by itself.
class SearchListener {
public:
    virtual ~SearchListener() = default;
    virtual void iterationStart(const SearchState& search, int depth) = 0;
    virtual void iterationSummary(const SearchState& search, int depth) = 0;
    virtual void principalVariation(const SearchState& search) = 0;
    virtual void currentMove(const SearchState& search, Move move, int index) = 0;
    // Every POLL_INTERVAL nodes: periodic progress and waiting input, which
    // may call the searcher's requestStop, releaseHold or abortSearch.
    virtual void poll(const SearchState& search) = 0;
};

// A listener that says nothing and reads nothing.
class SilentListener : public SearchListener {
public:
    void iterationStart(const SearchState&, int) override {}
    void iterationSummary(const SearchState&, int) override {}
    void principalVariation(const SearchState&) override {}
    void currentMove(const SearchState&, Move, int) override {}
    void poll(const SearchState&) override {}
};

}  // namespace tallomir
