#include "search/state.hpp"

#include "platform/platform.hpp"

namespace tallomir {

namespace {

constexpr int SCORE_DROP_MARGIN = 50;
constexpr double EASY_MOVE_SHARE = 0.2;
constexpr double STABLE_MOVE_SHARE = 0.6;

}  // namespace

void SearchState::reset() {
    SearchState& s = *this;
    s.limits = SearchLimits{};
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
    SearchClock& c = clock;
    c.wallAccumulated = c.cpuAccumulated = 0;
    c.wallStart = c.cpuStart = 0;
    c.running = true;
    c.wallStart = static_cast<double>(platform::tickCount()) / 1000.0;
    c.cpuStart = platform::processorSeconds();
}

double SearchState::elapsedWallTime() const {
    const SearchClock& c = clock;
    double t = c.wallAccumulated;
    if (c.running) t += static_cast<double>(platform::tickCount()) / 1000.0 - c.wallStart;
    return t < 0 ? 0 : t;
}

double SearchState::measureCpuLoad() const {
    const SearchClock& c = clock;
    const double wall = elapsedWallTime();
    double cpu = c.cpuAccumulated;
    if (c.running) cpu += platform::processorSeconds() - c.cpuStart;
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
    SearchLimits& l = limits;
    TimeControl& t = time;
    t.firstIterationDone = true;
    if (depth == 1 && rootMoveCount >= 2 && firstScore >= secondScore + 150) t.easyMove = true;
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
    return !(l.stopRequested || (t.stopAfterIteration && !l.holdSearch));
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
