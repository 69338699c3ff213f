#include "search/state.hpp"

#include "platform/platform.hpp"

namespace tallomir {

namespace {

constexpr int SCORE_DROP_MARGIN = 50;
// A first move this far ahead of the second after depth 1 is an easy move.
constexpr int EASY_MOVE_MARGIN = 150;
constexpr double EASY_MOVE_SHARE = 0.2;
constexpr double STABLE_MOVE_SHARE = 0.6;

}  // namespace

void SearchState::reset(const SearchLimits& searchLimits) {
    SearchState& s = *this;
    s.limits = searchLimits;
    s.controls = SearchControls{searchLimits.holdSearch, false, false};
    s.time = TimeControl{};
    s.stats = SearchStats{};
    s.report.bestMove = 0;
    s.report.bestScore = 0;
    s.report.bestBound = BOUND_NONE;
    s.report.bestDepth = 0;
    s.report.pv[0] = 0;
    s.pollCountdown = POLL_INTERVAL;
    s.rootDepth = 0;
    s.currentMoveIndex = 0;
}

void SearchState::startClock() {
    clock.wallStart = static_cast<double>(platform::tickCount()) / 1000.0;
    clock.cpuStart = platform::processorSeconds();
}

double SearchState::elapsedWallTime() const {
    const double t = static_cast<double>(platform::tickCount()) / 1000.0 - clock.wallStart;
    return t < 0 ? 0 : t;
}

double SearchState::measureCpuLoad() const {
    const double wall = elapsedWallTime();
    double cpu = platform::processorSeconds() - clock.cpuStart;
    if (cpu < 0) cpu = 0;
    if (wall <= 0 || cpu <= 0) return 0;
    const double load = cpu / wall;
    return load > 1 ? 1 : load;
}

void SearchState::updateStats() {
    SearchStats& s = stats;
    s.elapsed = elapsedWallTime();
    s.nps = s.elapsed >= 1 ? static_cast<double>(s.nodes) / s.elapsed : 0;
    s.cpuLoad = measureCpuLoad();
}

bool SearchState::iterationEndTest(int depth, int rootMoveCount, int firstScore, int secondScore) {
    const SearchLimits& l = limits;
    TimeControl& t = time;
    t.firstIterationDone = true;
    if (depth == 1 && rootMoveCount >= 2 && firstScore >= secondScore + EASY_MOVE_MARGIN) t.easyMove = true;
    bool dropped;
    if (depth > 1) {
        dropped = t.scoreDropped;
        t.scoreDroppedBefore = t.scoreDropped;
        t.scoreDropped = false;
    } else {
        dropped = t.scoreDroppedBefore;
    }
    t.previousScore = report.bestScore;
    if (l.depthLimited && depth >= l.maxDepth) t.stopAfterIteration = true;
    if (l.timeLimited) {
        const double elapsed = stats.elapsed;
        if ((elapsed >= l.softTime && !dropped) || (elapsed >= EASY_MOVE_SHARE * l.softTime && t.easyMove) ||
            (elapsed >= STABLE_MOVE_SHARE * l.softTime && !dropped && !t.bestMoveChanged))
            t.stopAfterIteration = true;
    }
    if (nodesSpent()) t.stopAfterIteration = true;
    return !(controls.stopRequested || (t.stopAfterIteration && !controls.holding));
}

void SearchState::pollLimitTest() {
    const SearchLimits& l = limits;
    TimeControl& t = time;
    if (l.depthLimited && rootDepth > l.maxDepth) t.stopAfterIteration = true;
    if (l.timeLimited) {
        const double elapsed = stats.elapsed;
        if (elapsed >= l.hardTime ||
            (elapsed >= l.softTime && !t.scoreDropped && !t.scoreDroppedBefore && currentMoveIndex == 0))
            t.stopAfterIteration = true;
    }
}

void SearchState::applyScoreDropRule() {
    TimeControl& t = time;
    if (report.bestScore <= t.previousScore - SCORE_DROP_MARGIN) {
        t.scoreDropped = true;
        t.easyMove = false;
        t.stopAfterIteration = false;
    } else {
        t.scoreDropped = false;
    }
}

void SearchState::applyNewLeaderRule() {
    TimeControl& t = time;
    t.bestMoveChanged = true;
    t.easyMove = false;
    t.stopAfterIteration = false;
}

}  // namespace tallomir
