#!/usr/bin/env bash
# Nodes per second of a Tallomir engine beside Glaurung 2.2 (Debian's
# glaurung package, run as a black box) on eight positions from the opening
# to the endgame: "go movetime", Hash 16, Glaurung on one thread without its
# book. The two engines take turns on each position in the same run, so both
# see the same load on a shared machine.
#
#   scripts/probe.sh [ENGINE [GLAURUNG]]   (build/tallomir-vendrel, /usr/games/glaurung)
#   MOVETIME=3000 (milliseconds) by default.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
engine=${1:-$here/build/tallomir-vendrel}
glaurung=${2:-/usr/games/glaurung}
movetime=${MOVETIME:-3000}
for p in "$engine" "$glaurung"; do
    [ -x "$p" ] || { echo "no program $p" >&2; exit 2; }
done

positions=(
    "start position|startpos"
    "Ruy Lopez 3...a6|fen r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4"
    "Queen's Gambit|fen r1bq1rk1/pppnbppp/4pn2/3p2B1/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 2 7"
    "Kiwipete|fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    "WAC.001|fen 2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1"
    "Fine #70|fen 8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1"
    "perft position 3|fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"
    "Lucena|fen 1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1"
)

# Nodes per second of the last report before the best move.
nps() {
    local program=$1 position=$2
    shift 2
    {
        echo uci
        for option in "$@"; do echo "setoption name $option"; done
        echo "setoption name Hash value 16"
        echo isready
        echo "position $position"
        echo "go movetime $movetime"
        sleep $((movetime / 1000 + 2))
        echo quit
    } | "$program" 2> /dev/null | tr -d '\r' | awk '
        / nodes / && / time / {
            for (i = 1; i < NF; ++i) { if ($i == "nodes") n = $(i + 1); if ($i == "time") t = $(i + 1) }
        }
        END { if (t > 0) printf "%d\n", n * 1000 / t; else print 0 }'
}

printf '%-18s %12s %12s %7s\n' position tallomir glaurung ratio
for entry in "${positions[@]}"; do
    name=${entry%%|*} position=${entry#*|}
    ours=$(nps "$engine" "$position")
    theirs=$(nps "$glaurung" "$position" "Threads value 1" "OwnBook value false")
    printf '%-18s %12d %12d %7s\n' "$name" "$ours" "$theirs" \
        "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }')"
done
