#include "fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/attacks.hpp"
#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "uci/movetext.hpp"

namespace tallomir::fuzz {

Output discardOutput() {
    return Output([](std::string_view) {});
}

std::unique_ptr<UciEngine> newEngine(Output out, int inputFd) {
    auto engine = std::make_unique<UciEngine>(inputFd, std::move(out));
    engine->setIterationCap(FUZZ_ITERATION_CAP);
    engine->handleCommand("setoption name Hash value 4");
    return engine;
}

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "\n*** invariant broken: %s: %s\n", what, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void checkPosition(const Position& pos, const char* where) {
    const std::string why = test::inconsistency(pos);
    if (!why.empty()) fail(where, why);
    for (int c = 0; c < 2; ++c) {
        if (pos.pieceIndexCount[10 + c] != 1) fail(where, "not exactly one king of a colour");
        if (pos.board[pos.kingSquare(c)] != (c == 0 ? W_KING : B_KING)) fail(where, "king not first in its list");
        if (pos.pieceCount[c] > 16 || pos.pawnCount[c] > 8) fail(where, "more men than the lists hold");
    }
    if (isAttacked(pos, pos.side, pos.kingSquare(pos.side ^ 1))) fail(where, "the side not to move is in check");
    if (pos.fiftyCount < 0) fail(where, "negative fifty-move count");
    // The repetition test looks back up to 100 plies (fewer with a smaller count).
    const int reach = pos.fiftyCount < 100 ? pos.fiftyCount : 100;
    if (pos.historyCount < reach) fail(where, "key history shorter than the fifty-move count");
}

bool isLegalIn(const Position& pos, Move m) {
    static Position copy;
    std::memcpy(&copy, &pos, sizeof copy);
    MoveList legal;
    generateLegal(copy, legal);
    for (int i = 0; i < legal.count; ++i)
        if (legal.moves[i] == m) return true;
    return false;
}

void checkBestMoveLine(const Position& pos, std::string_view line) {
    static Position copy;
    std::memcpy(&copy, &pos, sizeof copy);
    const std::string text(line);
    char best[16] = {}, word[16] = {}, ponder[16] = {};
    const int n = std::sscanf(text.c_str(), "bestmove %15s %15s %15s", best, word, ponder);
    if (n != 1 && !(n == 3 && std::strcmp(word, "ponder") == 0)) fail("bestmove", "malformed line: " + text);
    MoveList legal;
    generateLegal(copy, legal);
    if (std::strcmp(best, "0000") == 0) {
        if (legal.count != 0 || n != 1) fail("bestmove", "null move with legal moves: " + text);
        return;
    }
    const Move m = textToMove(copy, best);
    if (!isLegalIn(copy, m)) fail("bestmove", "illegal best move: " + text);
    if (n == 3) {
        UndoRecord undo;
        makeMove(copy, undo, m);
        if (!isLegalIn(copy, textToMove(copy, ponder))) fail("bestmove", "illegal ponder move: " + text);
    }
}

}  // namespace tallomir::fuzz
