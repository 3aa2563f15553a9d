#!/usr/bin/env bash
# callgrind.sh -- instructions per frame, counted by callgrind, over fixed key scripts
#
# Usage: bench/callgrind.sh [BUILD_DIR] [--profile]
#   BUILD_DIR  a build folder holding tools/replay/driftwing-replay and data/
#              (default: build/bench, configured and built here if missing)
#   --profile  also list the functions that cost the most in the busy game
#
# Each script runs through driftwing-replay under callgrind. Start-up and shutdown
# are taken out by also running a one-frame script: per frame =
# (instructions of the script - instructions of one frame) / (frames - 1).
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
BUILD="$ROOT/build/bench"
PROFILE=0
for arg in "$@"; do
    case "$arg" in
        --profile) PROFILE=1 ;;
        *) BUILD="$(cd "$arg" && pwd)" ;;
    esac
done
REPLAY="$BUILD/tools/replay/driftwing-replay"
command -v valgrind >/dev/null || { echo "callgrind.sh: needs valgrind (apt-get install valgrind)" >&2; exit 1; }
if [ ! -x "$REPLAY" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD" -j 2 --target driftwing-replay
fi
WORK="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-callgrind.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

# frames SCRIPT: how many frames a key script holds down keys for.
frames() {
    awk '!/^[[:space:]]*(#|$)/ { n += $1 } END { print n }' "$1"
}

# instructions SCRIPT NAME: total instructions of one replay of the script.
instructions() {
    local out="$WORK/$2.callgrind"
    valgrind --tool=callgrind --callgrind-out-file="$out" \
        "$REPLAY" --data "$BUILD" "$1" >/dev/null 2>"$WORK/$2.log" ||
        { cat "$WORK/$2.log" >&2; exit 1; }
    awk '/^(summary|totals):/ { print $2; exit }' "$out"
}

base=$(instructions "$HERE/scripts/one_frame.keys" one_frame)
echo "| script | frames | instructions per frame |"
echo "|---|---:|---:|"
for name in idle_title busy_game whole_game; do
    script="$HERE/scripts/$name.keys"
    n=$(frames "$script")
    total=$(instructions "$script" "$name")
    echo "| $name | $n | $(( (total - base) / (n - 1) )) |"
done
echo
echo "start-up and shutdown with one frame: $base instructions"

if [ "$PROFILE" -eq 1 ]; then
    echo
    echo "Most expensive functions in busy_game (inclusive of start-up):"
    callgrind_annotate --inclusive=no "$WORK/busy_game.callgrind" 2>/dev/null | sed -n '1,40p' |
        grep -E '^ *[0-9,]+ ' | head -20
fi
