// Developer tool: everything a developer asks of the engine beyond the UCI
// protocol. One subcommand per question; the answer is the last line printed.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/perft.hpp"
#include "board/see.hpp"
#include "editions/edition.hpp"
#include "eval/evaluate.hpp"
#include "tool/commands.hpp"
#include "uci/io.hpp"
#include "uci/movetext.hpp"
#include "uci/position_command.hpp"
#include "version.hpp"

#ifndef TALLOMIR_BUILD_TYPE
#define TALLOMIR_BUILD_TYPE "unknown"
#endif

namespace tallomir::tool {

int usage() {
    std::fputs(
        "usage: tallomir-tool-<edition> COMMAND ...\n"
        "  perft FEN DEPTH [--bulk]   leaf count of the legal move tree\n"
        "  divide FEN DEPTH           leaf count per root move, then the total\n"
        "  key FEN [MOVES...]         KEY PAWNKEY MATERIALKEY after the moves\n"
        "  see FEN MOVE               static exchange value of a move\n"
        "  eval FEN                   static evaluation, side to move's view\n"
        "  search FEN DEPTH [MOVES...] the engine's output for go depth DEPTH\n"
        "  bench [DEPTH]              fixed searches (depth 8); nodes N, nps X\n"
        "FEN is one argument; the word startpos stands for the start position.\n",
        stderr);
    return 2;
}

// The source tree's revision, written by the build.
constexpr const char* REVISION =
#include "revision.inc"
    ;

// The compiler that built the tool, as its own version macros name it.
#if defined(__clang__)
constexpr const char* COMPILER = "clang " __clang_version__;
#elif defined(__GNUC__)
constexpr const char* COMPILER = "g++ " __VERSION__;
#else
constexpr const char* COMPILER = "unknown compiler";
#endif

void printHeader() {
    std::printf("tallomir %s %s, %s build, %s, revision %s\n", VERSION, EDITION.word, TALLOMIR_BUILD_TYPE, COMPILER,
                REVISION);
}

bool loadFen(const char* arg, Position& pos) {
    std::string_view fen = arg;
    if (fen == "startpos") fen = START_FEN;
    if (setFromFen(pos, fen) != FenResult::Loaded) {
        std::fputs("Posizione Illegale.\n", stdout);
        std::fprintf(stderr, "rejected FEN: %s\n", arg);
        return false;
    }
    reportLoadedFen(Output(), pos);
    return true;
}

bool parseDepth(const char* arg, int& depth) {
    char* end = nullptr;
    long v = std::strtol(arg, &end, 10);
    if (!end || *end || v < 0 || v > 64) {
        std::fprintf(stderr, "bad depth: %s\n", arg);
        return false;
    }
    depth = static_cast<int>(v);
    return true;
}

// Plays UCI moves on the game position; stops with an error at the first one
// that is not legal.
bool playMoves(Position& pos, int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) {
        if (!playMoveText(pos, argv[i])) {
            std::fprintf(stderr, "not a legal move: %s\n", argv[i]);
            return false;
        }
    }
    return true;
}

int cmdPerft(int argc, char** argv) {
    if (argc < 4) return usage();
    Position pos;
    int depth;
    if (!loadFen(argv[2], pos) || !parseDepth(argv[3], depth)) return 1;
    const bool bulk = argc > 4 && std::strcmp(argv[4], "--bulk") == 0;
    printHeader();
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t leaves = bulk ? perftBulk(pos, depth) : perft(pos, depth);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("time %.3f s, %.0f leaves/s\n", secs, secs > 0 ? leaves / secs : 0.0);
    std::printf("%" PRIu64 "\n", leaves);
    return 0;
}

int cmdDivide(int argc, char** argv) {
    if (argc < 4) return usage();
    Position pos;
    int depth;
    if (!loadFen(argv[2], pos) || !parseDepth(argv[3], depth) || depth < 1) return 1;
    printHeader();
    MoveList list;
    generateLegal(pos, list);
    std::uint64_t total = 0;
    for (int i = 0; i < list.count; ++i) {
        UndoRecord undo;
        makeMove(pos, undo, list.moves[i]);
        const std::uint64_t n = perft(pos, depth - 1);
        unmakeMove(pos, undo, list.moves[i]);
        std::printf("%s %" PRIu64 "\n", moveToText(list.moves[i]).c_str(), n);
        total += n;
    }
    std::printf("%" PRIu64 "\n", total);
    return 0;
}

int cmdKey(int argc, char** argv) {
    if (argc < 3) return usage();
    Position pos;
    if (!loadFen(argv[2], pos) || !playMoves(pos, argc, argv, 3)) return 1;
    std::printf("%016" PRIx64 " %016" PRIx64 " %016" PRIx64 "\n", pos.key, pos.pawnKey, pos.materialKey);
    return 0;
}

int cmdSee(int argc, char** argv) {
    if (argc < 4) return usage();
    Position pos;
    if (!loadFen(argv[2], pos)) return 1;
    const Move m = legalMoveFromText(pos, argv[3]);
    if (!m) {
        std::fprintf(stderr, "not a legal move: %s\n", argv[3]);
        return 1;
    }
    std::printf("%d\n", staticExchange(pos, m));
    return 0;
}

}  // namespace tallomir::tool

int main(int argc, char** argv) {
    using namespace tallomir::tool;
    if (argc < 2) return usage();
    const std::string_view cmd = argv[1];
    if (cmd == "perft") return cmdPerft(argc, argv);
    if (cmd == "divide") return cmdDivide(argc, argv);
    if (cmd == "key") return cmdKey(argc, argv);
    if (cmd == "see") return cmdSee(argc, argv);
    if (cmd == "eval") return cmdEval(argc, argv);
    if (cmd == "search") return cmdSearch(argc, argv);
    if (cmd == "bench") return cmdBench(argc, argv);
    return usage();
}
