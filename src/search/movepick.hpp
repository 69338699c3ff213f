// Move ordering knowledge and the staged move picker.
//
// A picker produces a node's moves lazily, one stage at a time, so that a
// cut-off early in the list saves generating the rest. Each kind of node has
// its script, the list of its stages in the order they are tried: the main
// search outside check and in check, and the three kinds of quiescence node.
// One state machine, nextMove, walks the scripts of all of them.
#pragma once

#include <cstdint>

#include "board/attacks.hpp"
#include "board/movegen.hpp"
#include "search/state.hpp"

namespace tallomir {

enum Stage {
    STAGE_EVASIONS = 1,
    STAGE_HASH = 2,
    STAGE_CAPTURES = 3,
    STAGE_BAD_CAPTURES = 4,
    STAGE_KILLERS = 5,
    STAGE_PREFERRED_QUIETS = 6,
    STAGE_QUIETS = 7,
    STAGE_Q_EVASIONS = 8,
    STAGE_Q_CAPTURES = 9,
    STAGE_Q_CHECKS = 10,
    STAGE_END = 11,
};

// How a picker tests its king moves: not decided yet, against the squares the
// opponent attacks (worked out once), or square by square.
enum KingTest { KING_TEST_UNDECIDED, KING_TEST_BY_SET, KING_TEST_BY_SQUARE };

inline constexpr int LATE_MOVE_LIMIT = 9830;  // 60 % of an always-cutting move's ratio
inline constexpr int PLAIN_MOVE_SCORE = 16384;

// The kinds of quiescence node, each with its own script.
enum class QuiescenceNode { InCheck, FirstPly, Deeper };

struct OrderingTables {
    Move killers[MAX_PLY][2];            // slot 0 is the most recent
    std::uint16_t historyTable[12][64];  // by pieceIndex of the mover and destination
    std::uint16_t triedCount[12][64];
    std::uint16_t cutoffCount[12][64];
};

struct MovePicker {
    int ply;
    Move hashMove;
    Move killer1;
    Move killer2;
    const Stage* script;  // the stage after the current one
    Stage stage;
    int cursor;
    int currentScore;  // the late-move test reads it: cutoffRatio for plain quiets
    // What the legality tests of the node's moves share, worked out when first
    // needed: how king moves are tested (a KingTest) and the attacked squares
    // for KING_TEST_BY_SET; the men pinned to the king of the side to move.
    int kingTest;
    SquareSet unsafe;
    bool pinnedKnown;
    SquareSet pinned;
    Position* pos;
    const CheckInfo* checks;
    const OrderingTables* ordering;
    MoveList list;
    MoveList badCaptures;
};

void clearOrderingTables(OrderingTables& ordering);
// A picker enters its first stage at once: in check, its list then holds
// every evasion.
void initMovePicker(const OrderingTables& ordering, Position& pos, int ply, const CheckInfo& checks, MovePicker& picker,
                    Move hashMove);
void initQuiescencePicker(Position& pos, const CheckInfo& checks, MovePicker& picker, QuiescenceNode node);
// The next move of the node, 0 when its script has ended.
Move nextMove(MovePicker& picker);

int mvvLva(const Position& pos, Move move);
bool isGoodCapture(const Position& pos, Move move);
int cutoffRatio(const OrderingTables& ordering, const Position& pos, Move move);
int orderScore(const OrderingTables& ordering, const Position& pos, Move move, int ply, Move hashMove);
void scoreMoves(const OrderingTables& ordering, const Position& pos, MoveList& list, int ply, Move hashMove);
// Promotion or en passant (both kinds have the PROMOTION bit), or a capture.
inline bool isTactical(const Position& pos, Move move) {
    return (move & PROMOTION) || pos.board[moveToSquare(move)] != EMPTY;
}

void updateOnBestMove(OrderingTables& ordering, const Position& pos, Move move, int depth, int ply);
void recordCutoff(OrderingTables& ordering, const Position& pos, Move move);
void recordTried(OrderingTables& ordering, const Position& pos, Move move);

void sortMoves(MoveList& list);
void copyMoveList(MoveList& destination, const MoveList& source);

// Quiet moves that may give check, and checking castlings (quiescence's first ply).
void generateQuietChecks(const Position& pos, MoveList& list);
void generateCastlingChecks(const Position& pos, MoveList& list);

}  // namespace tallomir
