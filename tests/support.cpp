#include "support.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "uci/movetext.hpp"

namespace tallomir::test {

Position loadFen(std::string_view fen) {
    if (fen == "startpos") fen = START_FEN;
    Position pos;
    std::memset(&pos, 0, sizeof pos);
    const FenResult r = setFromFen(pos, fen);
    EXPECT_EQ(r, FenResult::Loaded) << fen;
    return pos;
}

void playMoves(Position& pos, std::string_view moves) {
    std::istringstream in{std::string(moves)};
    std::string token;
    while (in >> token) {
        const Move m = textToMove(pos, token);
        MoveList legal;
        generateLegal(pos, legal);
        bool found = false;
        for (int i = 0; i < legal.count; ++i) found |= legal.moves[i] == m;
        ASSERT_TRUE(found) << "not legal: " << token;
        UndoRecord undo;
        makeMove(pos, undo, m);
    }
}

std::vector<std::vector<std::string>> readTable(const std::string& name) {
    std::ifstream in(std::string(TALLOMIR_TEST_DATA_DIR) + "/" + name);
    EXPECT_TRUE(in.good()) << name;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells;
        std::size_t at = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', at);
            cells.push_back(line.substr(at, tab - at));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

bool samePosition(const Position& a, const Position& b) {
    return std::memcmp(a.material, b.material, sizeof a.material) == 0 &&
           std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
           std::memcmp(a.listIndex, b.listIndex, sizeof a.listIndex) == 0 &&
           std::memcmp(a.pieceList, b.pieceList, sizeof a.pieceList) == 0 &&
           std::memcmp(a.pieceCount, b.pieceCount, sizeof a.pieceCount) == 0 &&
           std::memcmp(a.pawnList, b.pawnList, sizeof a.pawnList) == 0 &&
           std::memcmp(a.pawnCount, b.pawnCount, sizeof a.pawnCount) == 0 && a.totalCount == b.totalCount &&
           std::memcmp(a.pieceIndexCount, b.pieceIndexCount, sizeof a.pieceIndexCount) == 0 &&
           std::memcmp(a.pawnFileMask, b.pawnFileMask, sizeof a.pawnFileMask) == 0 && a.occupied[0] == b.occupied[0] &&
           a.occupied[1] == b.occupied[1] && std::memcmp(a.typeSquares, b.typeSquares, sizeof a.typeSquares) == 0 &&
           a.side == b.side && a.castling == b.castling && a.epSquare == b.epSquare && a.fiftyCount == b.fiftyCount &&
           a.historyCount == b.historyCount && a.lastCaptureSquare == b.lastCaptureSquare && a.psqMid == b.psqMid &&
           a.psqEnd == b.psqEnd && a.key == b.key && a.pawnKey == b.pawnKey && a.materialKey == b.materialKey &&
           std::memcmp(a.keyHistory, b.keyHistory, sizeof(HashKey) * a.historyCount) == 0;
}

}  // namespace tallomir::test

namespace tallomir::test {

std::vector<std::string> CapturedOutput::lines() const {
    const std::string& captured = text_;
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < captured.size()) {
        std::size_t nl = captured.find('\n', at);
        if (nl == std::string::npos) nl = captured.size();
        out.push_back(captured.substr(at, nl - at));
        at = nl + 1;
    }
    return out;
}

}  // namespace tallomir::test
