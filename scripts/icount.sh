#!/usr/bin/env bash
# Instructions per node inside the search, counted by callgrind: what runs in
# Searcher::think only (not start-up, not the clearing of the tables). The
# counts repeat exactly from run to run, so a speed change shows on a busy
# machine where timings swing. Two measures, run side by side:
#   bench 6          the tool's bench positions at depth 6
#   endgames         bench/endgames.txt, each position searched to its depth
#
#   scripts/icount.sh [TOOL...]      (default: build/tallomir-tool-vendrel)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
tools=("$@")
[ ${#tools[@]} -gt 0 ] || tools=("$here/build/tallomir-tool-vendrel")
command -v valgrind > /dev/null || { echo "icount needs valgrind (apt-get install valgrind)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the tool under callgrind; prints "INSTRUCTIONS NODES".
counted() {
    local log=$1
    shift
    valgrind --tool=callgrind --toggle-collect='tallomir::Searcher::think*' \
        --callgrind-out-file=/dev/null --log-file="$log.vg" "$@" > "$log.out"
    local ir nodes
    ir=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$log.vg" | tail -1)
    nodes=$(grep -o 'nodes [0-9]*' "$log.out" | tail -1 | cut -d' ' -f2)
    echo "$ir $nodes"
}

endgames() {
    local tool=$1 log=$2 ir=0 nodes=0 i=0 depth fen a b
    while read -r depth fen; do
        case $depth in '#'* | '') continue ;; esac
        read -r a b < <(counted "$log.$i" "$tool" search "$fen" "$depth")
        ir=$((ir + a)) nodes=$((nodes + b)) i=$((i + 1))
    done < "$here/bench/endgames.txt"
    echo "$ir $nodes"
}

report() {
    local what=$1 ir=$2 nodes=$3
    printf '  %-9s %6d instructions per node  (%d M instructions, %d nodes)\n' \
        "$what" $(((ir + nodes / 2) / nodes)) $((ir / 1000000)) "$nodes"
}

for tool in "${tools[@]}"; do
    [ -x "$tool" ] || { echo "no tool $tool: build it first (make icount builds it)" >&2; exit 2; }
    name=$(basename "$tool")
    counted "$work/$name.bench" "$tool" bench 6 > "$work/$name.bench.result" &
    endgames "$tool" "$work/$name.end" > "$work/$name.end.result"
    wait
    echo "$name:"
    report "bench 6" $(cat "$work/$name.bench.result")
    report endgames $(cat "$work/$name.end.result")
done
