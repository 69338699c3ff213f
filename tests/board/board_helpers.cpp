#include "board/board_helpers.hpp"

#include <cstring>
#include <sstream>

#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "eval/psqt.hpp"

namespace tallomir::test {

std::uint64_t Rng::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::vector<Move> legalMoves(Position& pos) {
    MoveList list;
    generateLegal(pos, list);
    return std::vector<Move>(list.moves, list.moves + list.count);
}

std::vector<Move> pseudoLegalMoves(const Position& pos) {
    MoveList list;
    list.count = 0;
    generateAll(pos, list);
    generateEnPassant(pos, list);
    generateCastling(pos, list);
    return std::vector<Move>(list.moves, list.moves + list.count);
}

Move randomMove(Position& pos, Rng& rng) {
    const std::vector<Move> moves = legalMoves(pos);
    if (moves.empty()) return 0;
    std::vector<Move> special, captures;
    for (Move m : moves) {
        if (moveKind(m) != NORMAL)
            special.push_back(m);
        else if (pos.board[moveToSquare(m)] != EMPTY)
            captures.push_back(m);
    }
    const int roll = rng.below(100);
    if (!special.empty() && roll < 60) return special[rng.below(static_cast<int>(special.size()))];
    if (!captures.empty() && roll < 75) return captures[rng.below(static_cast<int>(captures.size()))];
    return moves[rng.below(static_cast<int>(moves.size()))];
}

std::vector<Move> playRandomGame(Position& pos, Rng& rng, int plies) {
    std::vector<Move> played;
    for (int i = 0; i < plies && pos.fiftyCount < 100; ++i) {
        const Move m = randomMove(pos, rng);
        if (!m) break;
        UndoRecord undo;
        makeMove(pos, undo, m);
        played.push_back(m);
    }
    return played;
}

const std::vector<std::string>& randomGameStarts() {
    static const std::vector<std::string> starts = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
        "r3k2r/1P4P1/8/2pP4/4pP2/8/1p4p1/R3K2R w KQkq c6 0 1",
        "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1",
        "rnbqkbnr/p1p1p1p1/8/1P1P1P1P/p1p1p1p1/8/1P1P1P1P/RNBQKBNR w KQkq - 0 1",
    };
    return starts;
}

std::string toFen(const Position& pos) {
    static const char* letters = "PpNnBbRrQqKk";
    std::ostringstream out;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int code = pos.board[makeSquare(file, rank)];
            if (code == EMPTY) {
                ++empty;
                continue;
            }
            if (empty) out << empty;
            empty = 0;
            out << letters[pieceIndex(code)];
        }
        if (empty) out << empty;
        if (rank) out << '/';
    }
    out << (pos.side == 0 ? " w " : " b ");
    if (pos.castling == 0) out << '-';
    if (pos.castling & WHITE_SHORT) out << 'K';
    if (pos.castling & WHITE_LONG) out << 'Q';
    if (pos.castling & BLACK_SHORT) out << 'k';
    if (pos.castling & BLACK_LONG) out << 'q';
    out << ' ';
    if (pos.epSquare)
        out << static_cast<char>('a' + fileOf(pos.epSquare)) << static_cast<char>('1' + rankOf(pos.epSquare));
    else
        out << '-';
    out << ' ' << pos.fiftyCount << " 1";
    return out.str();
}

namespace {

std::string describeList(const Position& pos, int c, bool pawns) {
    const std::uint8_t* list = pawns ? pos.pawnList[c] : pos.pieceList[c];
    const int count = pawns ? pos.pawnCount[c] : pos.pieceCount[c];
    const int limit = pawns ? MAX_PAWNS - 1 : MAX_NON_PAWNS - 1;
    std::ostringstream why;
    if (count < 0 || count > limit) {
        why << "list count " << count << " out of range";
        return why.str();
    }
    if (list[count] != 0) return "list not terminated";
    int lastType = 99;
    for (int i = 0; i < count; ++i) {
        const Square sq = list[i];
        if (!onBoard(sq)) return "list entry off the board";
        const int code = pos.board[sq];
        const bool isPawn = (code & PAWN_BITS) != 0;
        if (!(code & colourBits(c)) || isPawn != pawns) return "list entry holds the wrong man";
        if (pos.listIndex[sq] != i) return "listIndex disagrees with the list";
        if (!pawns) {
            if (pieceType(code) > lastType) return "pieceList not in descending type order";
            lastType = pieceType(code);
        }
    }
    if (!pawns && (count == 0 || !(pos.board[list[0]] & KING))) return "pieceList does not start with the king";
    return "";
}

}  // namespace

std::string inconsistency(const Position& pos) {
    for (int sq = 0; sq < 256; ++sq) {
        if (!onBoard(sq) && pos.board[sq] != OFFBOARD) return "border cell overwritten";
    }
    if (pos.side != 0 && pos.side != 1) return "invalid side";
    int counts[12] = {}, material[2] = {}, total = 0, psqMid = 0, psqEnd = 0;
    std::uint8_t files[2][16] = {};
    SquareSet occupied[2] = {}, typeSquares[2][6] = {};
    for (int n = 0; n < 64; ++n) {
        const Square sq = squareOf[n];
        const int code = pos.board[sq];
        if (code == EMPTY) {
            if (pos.listIndex[sq] != -1) return "listIndex set on an empty square";
            continue;
        }
        const int idx = pieceIndex(code);
        if (idx < 0) return "unknown piece code on the board";
        const int c = idx & 1;
        ++counts[idx];
        ++total;
        occupied[c] |= squareBit(n);
        typeSquares[c][idx >> 1] |= squareBit(n);
        if (!(code & KING)) material[c] += pieceValue(code);
        if (code & PAWN_BITS) files[c][sq & 15] |= static_cast<std::uint8_t>(pawnRankBit(sq, c));
        psqMid += pieceSquare(idx, squareNumber(n)).mid;
        psqEnd += pieceSquare(idx, squareNumber(n)).end;
    }
    for (int c = 0; c < 2; ++c) {
        for (bool pawns : {false, true}) {
            const std::string why = describeList(pos, c, pawns);
            if (!why.empty()) return why;
        }
        if (pos.material[c] != material[c]) return "material disagrees with the board";
    }
    if (pos.pieceCount[0] + pos.pieceCount[1] + pos.pawnCount[0] + pos.pawnCount[1] != total)
        return "lists miss men of the board";
    if (pos.totalCount != total) return "totalCount disagrees with the board";
    for (int i = 0; i < 12; ++i)
        if (pos.pieceIndexCount[i] != counts[i]) return "pieceIndexCount disagrees with the board";
    for (int c = 0; c < 2; ++c)
        for (int f = 0; f < 16; ++f)
            if (pos.pawnFileMask[c][f] != files[c][f]) return "pawnFileMask disagrees with the pawns";
    if (pos.occupied[0] != occupied[0] || pos.occupied[1] != occupied[1]) return "occupied disagrees with the board";
    if (std::memcmp(pos.typeSquares, typeSquares, sizeof typeSquares) != 0)
        return "typeSquares disagrees with the board";
    if (pos.psqMid != psqMid || pos.psqEnd != psqEnd) return "piece-square sums disagree with the board";
    if (pos.key != computeKey(pos)) return "key differs from the key computed from scratch";
    if (pos.pawnKey != computePawnKey(pos)) return "pawnKey differs from the key computed from scratch";
    if (pos.materialKey != computeMaterialKey(pos)) return "materialKey differs from the key computed from scratch";
    if (pos.castling & ~15) return "castling has unknown bits";
    const bool whiteHome = pos.board[E1] == W_KING, blackHome = pos.board[E8] == B_KING;
    if (((pos.castling & WHITE_SHORT) && !(whiteHome && pos.board[H1] == W_ROOK)) ||
        ((pos.castling & WHITE_LONG) && !(whiteHome && pos.board[A1] == W_ROOK)) ||
        ((pos.castling & BLACK_SHORT) && !(blackHome && pos.board[H8] == B_ROOK)) ||
        ((pos.castling & BLACK_LONG) && !(blackHome && pos.board[A8] == B_ROOK)))
        return "castling right without king and rook at home";
    if (pos.epSquare) {
        const int us = pos.side, them = us ^ 1;
        const Square pawn = pos.epSquare ^ 0x10;
        if (!onBoard(pos.epSquare) || relativeRank(pos.epSquare, us) != 5 || pos.board[pos.epSquare] != EMPTY ||
            pos.board[pawn] != pawnCode[them] ||
            (pos.board[pawn - 1] != pawnCode[us] && pos.board[pawn + 1] != pawnCode[us]))
            return "epSquare set where no en-passant capture is possible";
    }
    if (pos.historyCount < 0 || pos.historyCount >= KEY_HISTORY_SIZE) return "historyCount out of range";
    return "";
}

std::string firstDifference(const Position& a, const Position& b) {
#define TALLOMIR_COMPARE(field) \
    if (std::memcmp(&a.field, &b.field, sizeof a.field) != 0) return #field;
    TALLOMIR_COMPARE(material)
    TALLOMIR_COMPARE(board)
    TALLOMIR_COMPARE(listIndex)
    TALLOMIR_COMPARE(pieceList)
    TALLOMIR_COMPARE(pieceCount)
    TALLOMIR_COMPARE(pawnList)
    TALLOMIR_COMPARE(pawnCount)
    TALLOMIR_COMPARE(totalCount)
    TALLOMIR_COMPARE(pieceIndexCount)
    TALLOMIR_COMPARE(pawnFileMask)
    TALLOMIR_COMPARE(occupied)
    TALLOMIR_COMPARE(typeSquares)
    TALLOMIR_COMPARE(side)
    TALLOMIR_COMPARE(castling)
    TALLOMIR_COMPARE(epSquare)
    TALLOMIR_COMPARE(fiftyCount)
    TALLOMIR_COMPARE(historyCount)
    TALLOMIR_COMPARE(lastCaptureSquare)
    TALLOMIR_COMPARE(psqMid)
    TALLOMIR_COMPARE(psqEnd)
    TALLOMIR_COMPARE(key)
    TALLOMIR_COMPARE(pawnKey)
    TALLOMIR_COMPARE(materialKey)
#undef TALLOMIR_COMPARE
    if (std::memcmp(a.keyHistory, b.keyHistory, sizeof(HashKey) * static_cast<std::size_t>(a.historyCount)) != 0)
        return "keyHistory";
    return "";
}

}  // namespace tallomir::test
