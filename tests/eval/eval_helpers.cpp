#include "eval/eval_helpers.hpp"

#include <cctype>
#include <cstdint>
#include <sstream>

#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "eval/evaluate.hpp"
#include "support.hpp"

namespace tallomir::test {

EvalCaches& testCaches() {
    static EvalCaches caches;
    caches.allocate();
    return caches;
}

int freshEvaluate(Position& pos) {
    testCaches().clear();
    return evaluate(pos, testCaches(), -WIDE, WIDE);
}

std::string reversedFen(const std::string& fen) {
    std::istringstream in(fen);
    std::string board, side;
    in >> board >> side;
    std::string cells;  // a8..h8, a7..h7, ..., a1..h1
    for (char ch : board) {
        if (ch == '/') continue;
        if (std::isdigit(static_cast<unsigned char>(ch)))
            cells.append(static_cast<std::size_t>(ch - '0'), '.');
        else
            cells += ch;
    }
    std::string turned(cells.rbegin(), cells.rend());
    std::string out;
    for (int r = 0; r < 8; ++r) {
        int empty = 0;
        for (int f = 0; f < 8; ++f) {
            const char ch = turned[static_cast<std::size_t>(8 * r + f)];
            if (ch == '.') {
                ++empty;
                continue;
            }
            if (empty) out += static_cast<char>('0' + empty);
            empty = 0;
            out +=
                static_cast<char>(std::isupper(static_cast<unsigned char>(ch)) ? std::tolower(ch) : std::toupper(ch));
        }
        if (empty) out += static_cast<char>('0' + empty);
        if (r < 7) out += '/';
    }
    return out + (side == "w" ? " b - - 0 1" : " w - - 0 1");
}

const std::vector<std::string>& samplePositions() {
    static const std::vector<std::string> sample = [] {
        std::vector<std::string> out;
        std::uint64_t state = 0x7A11041Du;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        for (const auto& row : readTable("eval.tsv")) {
            out.push_back(row[0]);
            Position pos = loadFen(row[0]);
            for (int ply = 0; ply < 24; ++ply) {
                MoveList list;
                generateLegal(pos, list);
                if (list.count == 0) break;
                UndoRecord undo;
                makeMove(pos, undo, list.moves[next() % static_cast<std::uint64_t>(list.count)]);
                if (ply % 4 == 3) out.push_back(toFen(pos));
            }
        }
        return out;
    }();
    return sample;
}

}  // namespace tallomir::test
