#include "uci/report.hpp"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "uci/io.hpp"
#include "uci/movetext.hpp"

namespace tallomir {

namespace {

constexpr std::size_t MOVE_ROOM = 6;  // a blank and the longest move text

void printTimeAndLoad(const Output& out, const SearchStats& s) {
    out.emit("info time %.0f nodes %" PRIu64 " nps %.0f cpuload %.0f\n", s.elapsed * 1000.0, s.nodes, s.nps,
             s.cpuLoad * 1000.0);
    out.emit("info hashfull %.0f\n", s.hashfull);
}

}  // namespace

std::string pvText(const Move* pv, int capacity) {
    char text[PV_TEXT_CAPACITY];
    std::size_t length = 0;
    text[0] = '\0';
    for (int i = 0; i < capacity && pv[i] != 0; ++i) {
        if (PV_TEXT_CAPACITY - 1 - length < MOVE_ROOM) break;
        if (i > 0) text[length++] = ' ';
        moveToText(pv[i], text + length);
        length += std::strlen(text + length);
    }
    return std::string(text, length);
}

int mateMoves(int s) {
    if (s < -MATE_THRESHOLD) return -((s + MATE_SCORE) / 2);
    if (s > MATE_THRESHOLD) return (MATE_SCORE + 1 - s) / 2;
    return 0;
}

std::string principalVariationLine(const SearchState& search) {
    const RootReport& r = search.report;
    const SearchStats& s = search.stats;
    const char* bound;
    switch (r.bestBound) {
        case BOUND_EXACT:
            bound = "";
            break;
        case BOUND_LOWER:
            bound = " lowerbound";
            break;
        case BOUND_UPPER:
            bound = " upperbound";
            break;
        default:
            return "";
    }
    const int m = mateMoves(r.bestScore);
    char line[PV_TEXT_CAPACITY + 160];
    std::snprintf(line, sizeof line, "info depth %d seldepth %d score %s %d%s time %.0f nodes %" PRIu64 " pv %s\n",
                  r.bestDepth, s.selDepth, m ? "mate" : "cp", m ? m : r.bestScore, bound, s.elapsed * 1000.0, s.nodes,
                  pvText(r.pv).c_str());
    return line;
}

void printBestMove(const Output& out, const SearchState& search) {
    printTimeAndLoad(out, search.stats);
    const RootReport& r = search.report;
    if (r.bestMove == 0) {
        // No legal move at the root: the protocol's null move.
        out.emit("bestmove 0000\n");
        return;
    }
    const std::string best = moveToText(r.bestMove);
    if (r.pv[0] == r.bestMove && r.pv[1] != 0 && r.pv[1] != NULL_MOVE)
        out.emit("bestmove %s ponder %s\n", best.c_str(), moveToText(r.pv[1]).c_str());
    else
        out.emit("bestmove %s\n", best.c_str());
}

void UciReporter::iterationStart(const SearchState&, int depth) { out_.emit("info depth %d\n", depth); }

void UciReporter::iterationSummary(const SearchState& search, int depth) {
    const SearchStats& s = search.stats;
    out_.emit("info depth %d seldepth %d time %.0f nodes %" PRIu64 " nps %.0f\n", depth, s.selDepth, s.elapsed * 1000.0,
              s.nodes, s.nps);
}

void UciReporter::principalVariation(const SearchState& search) {
    const std::string line = principalVariationLine(search);
    if (!line.empty()) out_.emit("%s", line.c_str());
}

void UciReporter::currentMove(const SearchState& search, Move move, int index) {
    if (search.stats.elapsed < 1.0) return;
    out_.emit("info currmove %s currmovenumber %d\n", moveToText(move).c_str(), index + 1);
}

void UciReporter::poll(const SearchState& search) {
    // Progress at most once a second, then every line that is waiting.
    if (search.stats.elapsed >= lastReportTime_ + 1.0) {
        lastReportTime_ = search.stats.elapsed;
        printTimeAndLoad(out_, search.stats);
    }
    if (readInput_) readInput_();
}

}  // namespace tallomir
