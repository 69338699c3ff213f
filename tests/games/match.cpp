// Plays complete games between two UCI engines under a real clock and acts
// as the arbiter: every move must be legal (checked with our perft-verified
// generator), every line well formed, every "go" answered by exactly one
// "bestmove" before the clock runs out.
//
//   tallomir-match ENGINE_A ENGINE_B GAMES BASE_MS INC_MS
//
// Engines alternate colours; the games start from a few short openings.
// Exit status 0 when no rule was broken; 1 with a report otherwise.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "board/attacks.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "e2e/engine_process.hpp"
#include "uci/movetext.hpp"

using namespace tallomir;
using test::EngineProcess;
using test::Millis;

namespace {

const char* const OPENINGS[] = {"e2e4 e7e5", "d2d4 d7d5", "c2c4 g8f6", "e2e4 c7c5", "g1f3 d7d5 c2c4", "e2e4 e7e6"};
constexpr int MAX_PLIES = 240;
constexpr long long MOVE_OVERHEAD_MS = 100;  // pipe and scheduling slack granted per move

struct Player {
    std::string path;
    std::unique_ptr<EngineProcess> process;
    std::string name;
};

bool failed = false;

void report(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    failed = true;
}

bool startPlayer(Player& p) {
    p.process = std::make_unique<EngineProcess>(p.path);
    if (!p.process->started()) return false;
    p.process->writeLine("uci");
    std::vector<std::string> lines;
    if (!p.process->readUntil("uciok", Millis(10000), &lines)) return false;
    for (const auto& l : lines)
        if (l.rfind("id name ", 0) == 0) p.name = l.substr(8);
    p.process->writeLine("isready");
    return p.process->readUntil("readyok", Millis(10000)).has_value();
}

// Lines an engine may print while it thinks.
bool wellFormed(const std::string& line) {
    if (line.rfind("info ", 0) == 0) return line.find('\r') == std::string::npos;
    return line.rfind("bestmove ", 0) == 0;
}

std::string describe(const std::vector<std::string>& moves) {
    std::string s;
    for (const auto& m : moves) s += m + " ";
    return s;
}

// Plays one game; returns the result text.
std::string playGame(Player* white, Player* black, const std::string& opening, long long baseMs, long long incMs) {
    static Position pos;
    setFromFen(pos, START_FEN);
    std::vector<std::string> moves;
    for (std::size_t at = 0; at < opening.size();) {
        const std::size_t end = std::min(opening.find(' ', at), opening.size());
        const std::string text = opening.substr(at, end - at);
        UndoRecord undo;
        makeMove(pos, undo, textToMove(pos, text));
        moves.push_back(text);
        at = end + 1;
    }
    long long clock[2] = {baseMs, baseMs};
    for (Player* p : {white, black}) {
        p->process->writeLine("ucinewgame");
        p->process->writeLine("isready");
        if (!p->process->readUntil("readyok", Millis(10000))) report(p->name + ": no readyok after ucinewgame");
    }
    std::vector<HashKey> seen;
    for (int ply = 0; ply < MAX_PLIES; ++ply) {
        MoveList legal;
        generateLegal(pos, legal);
        CheckInfo checks;
        if (legal.count == 0) return findCheckers(pos, checks) ? (pos.side == 0 ? "0-1" : "1-0") : "1/2 stalemate";
        if (pos.fiftyCount >= 100) return "1/2 fifty moves";
        int repeats = 0;
        for (HashKey k : seen) repeats += k == pos.key;
        if (repeats >= 2) return "1/2 repetition";
        if (pos.totalCount == 2) return "1/2 bare kings";
        seen.push_back(pos.key);

        Player* mover = pos.side == 0 ? white : black;
        std::string command = "position startpos moves " + describe(moves);
        mover->process->writeLine(command);
        char go[160];
        std::snprintf(go, sizeof go, "go wtime %lld btime %lld winc %lld binc %lld", clock[0], clock[1], incMs, incMs);
        const auto start = std::chrono::steady_clock::now();
        mover->process->writeLine(go);
        std::string best;
        for (;;) {
            auto line = mover->process->readLine(Millis(clock[pos.side] + 5000));
            if (!line) {
                report(mover->name + ": no bestmove after " + describe(moves));
                return "aborted";
            }
            if (!wellFormed(*line)) report(mover->name + ": malformed line '" + *line + "'");
            if (line->rfind("bestmove ", 0) == 0) {
                best = line->substr(
                    9, line->find(' ', 9) == std::string::npos ? std::string::npos : line->find(' ', 9) - 9);
                break;
            }
        }
        const long long used = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start).count();
        clock[pos.side] -= used;
        if (clock[pos.side] + MOVE_OVERHEAD_MS < 0) {
            report(mover->name + ": lost on time after " + describe(moves));
            return "time";
        }
        clock[pos.side] += incMs;
        const Move m = textToMove(pos, best);
        bool ok = false;
        for (int i = 0; i < legal.count; ++i) ok |= legal.moves[i] == m;
        if (!ok) {
            report(mover->name + ": illegal move " + best + " after " + describe(moves));
            return "illegal";
        }
        UndoRecord undo;
        makeMove(pos, undo, m);
        moves.push_back(best);
        // No second bestmove may follow.
        for (const auto& extra : mover->process->drain(Millis(0)))
            if (extra.rfind("bestmove", 0) == 0) report(mover->name + ": a second bestmove: " + extra);
    }
    return "1/2 move limit";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s ENGINE_A ENGINE_B GAMES BASE_MS INC_MS\n", argv[0]);
        return 2;
    }
    Player players[2] = {{argv[1], nullptr, argv[1]}, {argv[2], nullptr, argv[2]}};
    for (Player& p : players)
        if (!startPlayer(p)) {
            std::fprintf(stderr, "cannot start %s as a UCI engine\n", p.path.c_str());
            return 1;
        }
    const int games = std::atoi(argv[3]);
    const long long base = std::atoll(argv[4]), inc = std::atoll(argv[5]);
    for (int g = 0; g < games && !failed; ++g) {
        Player* white = &players[g % 2];
        Player* black = &players[1 - g % 2];
        const std::string opening = OPENINGS[(g / 2) % (sizeof OPENINGS / sizeof OPENINGS[0])];
        const std::string result = playGame(white, black, opening, base, inc);
        std::printf("game %d: %s - %s: %s\n", g + 1, white->name.c_str(), black->name.c_str(), result.c_str());
        std::fflush(stdout);
    }
    for (Player& p : players) {
        p.process->writeLine("quit");
        const auto status = p.process->waitForExit(Millis(5000));
        if (!status.cleanExit()) report(p.name + ": did not exit cleanly on quit");
    }
    std::printf(failed ? "match: rules broken\n" : "match: all games clean\n");
    return failed ? 1 : 0;
}
