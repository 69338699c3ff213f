// FEN set-up: any text either loads a sound position or is rejected and
// leaves the previous one untouched. A loaded position then has to survive
// everything the search asks of a position: legal move generation, making and
// unmaking every move, check and exchange tests, move validation, evaluation.
#include <cstring>
#include <string_view>

#include "board/attacks.hpp"
#include "board/board_helpers.hpp"
#include "board/legality.hpp"
#include "board/makemove.hpp"
#include "board/see.hpp"
#include "eval/evaluate.hpp"
#include "fuzz_support.hpp"

using namespace tallomir;

namespace {

// Two different previous positions, so that a rejected text provably keeps
// whatever was there.
constexpr const char* PREVIOUS[2] = {START_FEN, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"};

Position pos, before, after;

void exercise(Position& p) {
    MoveList legal;
    generateLegal(p, legal);
    if (legal.count < 0 || legal.count > MAX_MOVES) fuzz::fail("generateLegal", "count out of range");
    if (legal.count == 0 && !isMated(p)) {
        CheckInfo info;
        if (findCheckers(p, info) != 0) fuzz::fail("isMated", "no legal move in check, yet not mated");
    }
    std::memcpy(&before, &p, sizeof p);
    for (int i = 0; i < legal.count; ++i) {
        const Move m = legal.moves[i];
        if (!isValidHashMove(p, m)) fuzz::fail("isValidHashMove", "rejects a legal move");
        const bool checks = givesCheck(p, m);
        (void)staticExchange(p, m);
        UndoRecord undo;
        makeMove(p, undo, m);
        fuzz::checkPosition(p, "after makeMove");
        if (checks != isAttacked(p, p.side ^ 1, p.kingSquare(p.side)))
            fuzz::fail("givesCheck", "disagrees with the move made");
        unmakeMove(p, undo, m);
        const std::string diff = test::firstDifference(p, before);
        if (!diff.empty()) fuzz::fail("unmakeMove", "does not restore " + diff);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    setFromFen(pos, PREVIOUS[size & 1]);
    std::memcpy(&before, &pos, sizeof pos);
    if (setFromFen(pos, text) == FenResult::Rejected) {
        if (std::memcmp(&pos, &before, sizeof pos) != 0)
            fuzz::fail("setFromFen", "a rejected text changed the position");
        return 0;
    }
    fuzz::checkPosition(pos, "after setFromFen");

    // The position written back as FEN loads as the same position.
    const std::string written = test::toFen(pos);
    if (setFromFen(after, written) != FenResult::Loaded || after.key != pos.key ||
        std::memcmp(after.board, pos.board, sizeof pos.board) != 0)
        fuzz::fail("toFen round trip", written);

    exercise(pos);
    if (isDrawByRule(pos) && pos.fiftyCount < 100) fuzz::fail("isDrawByRule", "a fresh position repeats");
    static EvalCaches caches;
    caches.allocate();
    (void)isRecognisedDraw(pos, caches);
    const int score = evaluate(pos, caches, -MATE_SCORE, MATE_SCORE);
    if (score < -MATE_SCORE || score > MATE_SCORE) fuzz::fail("evaluate", "score out of range");

    // Move codes from nowhere (a key collision in the table): the validity
    // tests accept only moves the generators produce.
    std::uint64_t h = 1469598103934665603ULL;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ULL;
    test::Rng rng(h);
    for (int i = 0; i < 64; ++i) {
        const Move m = static_cast<Move>(rng.next());
        if (m == 0) continue;
        if (isValidHashMove(pos, m) && !isPseudoLegal(pos, m))
            fuzz::fail("isValidHashMove", "accepts the impossible move code " + std::to_string(m));
        if (isValidKiller(pos, m) && !isPseudoLegal(pos, m))
            fuzz::fail("isValidKiller", "accepts the impossible move code " + std::to_string(m));
    }
    return 0;
}
