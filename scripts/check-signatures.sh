#!/usr/bin/env bash
# Runs the three tools of a cross build through a runner (wine, qemu) and
# checks that each tool's bench node total equals the native tool's, and that
# perft of the start position to depth 5 counts 4865609. Prints both speeds;
# under an emulator the cross figure says nothing about the real machine.
#
#   scripts/check-signatures.sh NATIVE_DIR CROSS_DIR EXE_SUFFIX DEPTH RUNNER...
set -euo pipefail

native=$1 cross=$2 suffix=$3 depth=$4
shift 4

field() { tr -d '\r' | sed -n "s/^$1 //p"; }

status=0
for edition in vendrel ostravine fenna; do
    tool=$native/tallomir-tool-$edition
    if [ ! -x "$tool" ]; then
        echo "no native tool $tool: build it first (make build, or NATIVE=<build dir>)" >&2
        exit 2
    fi
    native_out=$("$tool" bench "$depth")
    cross_out=$("$@" "$cross/tallomir-tool-$edition$suffix" bench "$depth")
    want=$(field nodes <<<"$native_out")
    got=$(field nodes <<<"$cross_out")
    verdict=ok
    if [ -z "$got" ] || [ "$got" != "$want" ]; then verdict=FAIL status=1; fi
    echo "$verdict $edition bench $depth: nodes $got (native $want); nps $(field nps <<<"$cross_out") (native $(field nps <<<"$native_out"))"
done

leaves=$("$@" "$cross/tallomir-tool-vendrel$suffix" perft startpos 5 | tr -d '\r' | tail -n 1)
if [ "$leaves" = 4865609 ]; then echo "ok perft startpos 5: $leaves"; else echo "FAIL perft startpos 5: $leaves"; status=1; fi
exit $status
