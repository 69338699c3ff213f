// Soak test: many short self-play games from random legal positions, through
// the engine's own "position" and "go" commands, with every invariant checked
// after every move and every search:
//
//  - the game position the command loads equals the one reached by playing
//    the moves directly, and every redundant field agrees with its board;
//  - a search leaves the game position untouched, and a search that ran to
//    its depth limit leaves its working copy equal to it (every make undone);
//  - every "info ... pv" line shows a score in range and moves legal in
//    sequence; exactly one "bestmove" line, legal, with a legal ponder move,
//    and "bestmove 0000" only when there is no legal move.
//
// A failure prints the edition, the game, the start position, the moves that
// led to the failing position and the go line, and the run ends with status 1.
//
//   tallomir-soak-<edition> [GAMES [FIRST_SEED]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.hpp"
#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "editions/edition.hpp"
#include "search/search.hpp"
#include "uci/io.hpp"
#include "uci/movetext.hpp"
#include "uci/protocol.hpp"

using namespace tallomir;

namespace {

constexpr int MAX_GAME_PLIES = 60;
constexpr int MAX_OPENING_PLIES = 40;

std::vector<std::string> output;
std::uint64_t pvLinesChecked = 0;

void capture(std::string_view text) {
    std::string line(text);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    output.push_back(line);
}

bool legalIn(const Position& pos, Move m) {
    Position copy = pos;
    MoveList legal;
    generateLegal(copy, legal);
    for (int i = 0; i < legal.count; ++i)
        if (legal.moves[i] == m) return true;
    return false;
}

Position load(const std::string& fen) {
    Position pos;
    std::memset(&pos, 0, sizeof pos);
    if (setFromFen(pos, fen == "startpos" ? START_FEN : fen) != FenResult::Loaded) {
        std::fprintf(stderr, "soak: start position rejected: %s\n", fen.c_str());
        std::exit(2);
    }
    return pos;
}

// Empty when pos is sound; otherwise what is wrong.
std::string positionProblem(const Position& pos) {
    std::string why = test::inconsistency(pos);
    if (!why.empty()) return why;
    for (int c = 0; c < 2; ++c)
        if (pos.pieceIndexCount[10 + c] != 1 || pos.pieceCount[c] > 16 || pos.pawnCount[c] > 8)
            return "kings or list bounds";
    if (isAttacked(pos, pos.side, pos.kingSquare(pos.side ^ 1))) return "the side not to move is in check";
    if (pos.historyCount + PV_CAPACITY >= KEY_HISTORY_SIZE) return "no key history left for a search";
    return "";
}

// The moves of a pv text, each legal after the ones before it.
std::string pvProblem(const Position& start, const std::string& moves) {
    Position pos = start;
    std::istringstream in(moves);
    std::string word;
    while (in >> word) {
        const Move m = textToMove(pos, word);
        if (!legalIn(pos, m)) return "illegal pv move " + word;
        UndoRecord undo;
        makeMove(pos, undo, m);
    }
    return "";
}

// Checks the captured output of one search; returns the best move (0 for
// "0000") through `best`, or a description of what is wrong.
std::string outputProblem(const Position& pos, Move& best) {
    int bestLines = 0;
    best = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
        const std::string& line = output[i];
        if (bestLines > 0) return "output after the best move: " + line;
        const std::size_t pv = line.find(" pv ");
        if (line.rfind("info depth ", 0) == 0 && pv != std::string::npos) {
            const std::size_t at = line.find(" score ");
            if (at == std::string::npos) return "pv line without a score: " + line;
            char kind[8] = {};
            int value = 0;
            if (std::sscanf(line.c_str() + at, " score %7s %d", kind, &value) != 2) return "unreadable score: " + line;
            if (std::strcmp(kind, "cp") == 0
                    ? (value <= -MATE_SCORE || value >= MATE_SCORE)
                    : (std::strcmp(kind, "mate") != 0 || value == 0 || value > 128 || value < -128))
                return "score out of range: " + line;
            const std::string why = pvProblem(pos, line.substr(pv + 4));
            if (!why.empty()) return why + ": " + line;
            ++pvLinesChecked;
        } else if (line.rfind("bestmove ", 0) == 0) {
            ++bestLines;
            char move[16] = {}, word[16] = {}, ponder[16] = {};
            const int n = std::sscanf(line.c_str(), "bestmove %15s %15s %15s", move, word, ponder);
            Position copy = pos;
            const bool noMove = test::legalMoves(copy).empty();
            if (std::strcmp(move, "0000") == 0) {
                if (!noMove) return "bestmove 0000 with legal moves";
                continue;
            }
            best = textToMove(pos, move);
            if (!legalIn(pos, best)) return "illegal best move: " + line;
            if (n == 3) {
                if (std::strcmp(word, "ponder") != 0) return "malformed best-move line: " + line;
                const std::string why = pvProblem(pos, std::string(move) + " " + ponder);
                if (!why.empty()) return why + ": " + line;
            } else if (n != 1) {
                return "malformed best-move line: " + line;
            }
        }
    }
    if (bestLines != 1) return "not exactly one best-move line";
    return "";
}

struct Game {
    std::string startFen;
    std::vector<std::string> moves;
    std::string positionLine() const {
        std::string line = "position fen " + startFen;
        if (!moves.empty()) {
            line += " moves";
            for (const std::string& m : moves) line += " " + m;
        }
        return line;
    }
};

const char* editionName() {
    static const char* const names[3] = {"vendrel", "ostravine", "fenna"};
    return names[static_cast<int>(EDITION.id)];
}

void report(int game, std::uint64_t seed, const Game& g, const std::string& goLine, const std::string& why) {
    std::fprintf(stderr, "FAIL %s game %d (seed %llu): %s\n  start: %s\n  moves:", editionName(), game,
                 static_cast<unsigned long long>(seed), why.c_str(), g.startFen.c_str());
    for (const std::string& m : g.moves) std::fprintf(stderr, " %s", m.c_str());
    std::fprintf(stderr, "\n  command: %s\n", goLine.c_str());
    for (const std::string& l : output) std::fprintf(stderr, "  | %s\n", l.c_str());
}

// A limit for one move: mostly small depths, some short clocks and movetimes.
std::string randomGoLine(test::Rng& rng) {
    switch (rng.below(8)) {
        case 0:
            return "go movetime " + std::to_string(1 + rng.below(20));
        case 1: {
            const std::string t = std::to_string(50 + rng.below(2000));
            return "go wtime " + t + " btime " + t + " winc " + std::to_string(rng.below(50)) + " binc 10" +
                   (rng.below(2) ? " movestogo 1" : "");
        }
        default:
            return "go depth " + std::to_string(1 + rng.below(5));
    }
}

// Plays one game; returns false after reporting a failure.
bool playGame(UciEngine& engine, int index, std::uint64_t seed, std::uint64_t& searches) {
    test::Rng rng(seed);
    const std::vector<std::string>& starts = test::randomGameStarts();
    Position pos = load(starts[rng.below(static_cast<int>(starts.size()))]);
    // A random opening, played by the generator, gives a random legal position.
    test::playRandomGame(pos, rng, rng.below(MAX_OPENING_PLIES + 1));
    Game game{test::toFen(pos), {}};
    pos = load(game.startFen);  // the history of the opening is not part of the game
    const bool tableFresh = rng.below(2) == 0;
    if (tableFresh) engine.handleCommand("ucinewgame");

    const Position& played = engine.position();
    const Position& working = engine.searcher().workingPosition();
    for (int ply = 0; ply < MAX_GAME_PLIES; ++ply) {
        engine.handleCommand(game.positionLine());
        std::string why = positionProblem(played);
        if (why.empty())
            why = test::firstDifference(played, pos).empty() && played.key == pos.key
                      ? ""
                      : "position command differs from the moves played";
        if (!why.empty()) {
            report(index, seed, game, "", why);
            return false;
        }
        const Position before = played;
        const std::string goLine = randomGoLine(rng);
        output.clear();
        engine.handleCommand(goLine);
        ++searches;
        Move best = 0;
        why = outputProblem(before, best);
        if (why.empty() && !test::firstDifference(played, before).empty()) why = "the search changed the game position";
        if (why.empty() && goLine.rfind("go depth", 0) == 0 && !test::firstDifference(working, played).empty())
            why = "the search left its working copy different: " + test::firstDifference(working, played);
        if (why.empty() && !positionProblem(working).empty()) why = "working copy: " + positionProblem(working);
        if (!why.empty()) {
            report(index, seed, game, goLine, why);
            return false;
        }
        if (best == 0 || isDrawByRule(pos)) break;  // mate, stalemate or a draw ends the game
        game.moves.push_back(moveToText(best));
        UndoRecord undo;
        makeMove(pos, undo, best);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::uint64_t firstSeed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    // One engine for the whole run, as a GUI keeps one for a match; it reads
    // no input.
    const auto engine = std::make_unique<UciEngine>(-1, Output(capture));
    engine->handleCommand("isready");

    const auto start = std::chrono::steady_clock::now();
    int failures = 0;
    std::uint64_t searches = 0;
    for (int g = 0; g < games; ++g) {
        if (!playGame(*engine, g, firstSeed + static_cast<std::uint64_t>(g), searches)) ++failures;
        if ((g + 1) % 100 == 0)
            std::fprintf(stderr, "%s: %d games, %llu searches, %d failures\n", editionName(), g + 1,
                         static_cast<unsigned long long>(searches), failures);
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("soak %s: %d games, %llu searches, %llu pv lines, %d failed, %.0f s\n", editionName(), games,
                static_cast<unsigned long long>(searches), static_cast<unsigned long long>(pvLinesChecked), failures,
                secs);
    return failures == 0 ? 0 : 1;
}
