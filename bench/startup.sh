#!/usr/bin/env bash
# startup.sh -- start-up time (process start to the first picture) and peak memory of the game
#
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build folder holding driftwing, bench/driftwing-first-frame and data/
#              (default: build/bench, configured and built here if missing)
#   RUNS       how many starts to time (default 7); the median is reported
#
# Each run starts the game under a private X server (Xvfb) and /usr/bin/time -v,
# waits for its first picture, plays a game for two seconds (S, then Space held),
# and quits with Escape. Needs xvfb, xdotool, x11-utils and time.
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
BUILD="$(cd "${1:-$ROOT/build/bench}" 2>/dev/null && pwd || echo "$ROOT/build/bench")"
RUNS="${2:-7}"
PROBE="$BUILD/bench/driftwing-first-frame"
if [ ! -x "$PROBE" ] || [ ! -x "$BUILD/driftwing" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
    cmake --build "$BUILD" -j 2 --target driftwing driftwing-first-frame assets || exit 1
fi
[ -x /usr/bin/time ] || { echo "startup.sh: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
source "$ROOT/scripts/xvfb_lib.sh"
start_xvfb

# The game runs from a folder of its own, as installed: the binary with data/ beside it.
GAME_DIR="$TEST_TMP/game"
mkdir -p "$GAME_DIR" && cp "$BUILD/driftwing" "$GAME_DIR/" && cp -r "$BUILD/data" "$GAME_DIR/"
cd "$GAME_DIR" || exit 1

windows=() pictures=() peaks=()
for run in $(seq "$RUNS"); do
    result="$TEST_TMP/result.$run"
    "$PROBE" "$result" /usr/bin/time -v -o "$TEST_TMP/time.$run" ./driftwing 2>"$TEST_TMP/err.$run" &
    probe=$!
    for _ in $(seq 200); do
        [ -e "$result" ] || ! kill -0 "$probe" 2>/dev/null && break
        sleep 0.05
    done
    [ -e "$result" ] || fail "run $run: no picture appeared"
    read -r window_ms picture_ms window <"$result"
    hold_key "$window" s 0.2
    hold_key "$window" space 2
    hold_key "$window" Escape
    wait_for_exit "$probe" 5
    status=$?
    [ "$status" -eq 0 ] || { cat "$result" "$TEST_TMP/err.$run" >&2; fail "run $run: exit $status after Escape, expected 0"; }
    peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$TEST_TMP/time.$run")
    windows+=("$window_ms") pictures+=("$picture_ms") peaks+=("$peak")
    echo "run $run: window after $window_ms ms, first picture after $picture_ms ms, peak $peak KiB"
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo
echo "| measure | median of $RUNS runs |"
echo "|---|---:|"
echo "| process start to window mapped | $(median "${windows[@]}") ms |"
echo "| process start to first picture | $(median "${pictures[@]}") ms |"
echo "| peak resident memory | $(median "${peaks[@]}") KiB |"
