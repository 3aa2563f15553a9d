#!/usr/bin/env bash
# frame_pacing.sh -- frame intervals of the real window under a private X server
#
# Usage: bench/frame_pacing.sh [BUILD_DIR] [FRAMES] [realtime]
#   BUILD_DIR  a build folder holding bench/driftwing-frame-pacing and data/
#              (default: build/bench, configured and built here if missing)
#   FRAMES     how many frames to time (default 600)
#   realtime   run the game at a real-time priority (chrt -f 10; needs root), to tell
#              the pacer's own precision from waits for a busy machine's processors
#
# Prints the median and 99th percentile frame interval (target 16.667 ms) and which
# wait the pacer chose. Needs xvfb and x11-utils. Sound is kept out of the way: the
# game gets an empty home folder, so ALSA finds no settings of the machine's user.
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
BUILD="$(cd "${1:-$ROOT/build/bench}" 2>/dev/null && pwd || echo "$ROOT/build/bench")"
FRAMES="${2:-600}"
BENCH="$BUILD/bench/driftwing-frame-pacing"
if [ ! -x "$BENCH" ] || [ ! -d "$BUILD/data" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
    cmake --build "$BUILD" -j 2 --target driftwing-frame-pacing assets || exit 1
fi
source "$ROOT/scripts/xvfb_lib.sh"
start_xvfb
game_folder "$BENCH" "$BUILD/data" && cd "$TEST_TMP/game" || exit 1
priority=()
[ "${3:-}" = realtime ] && priority=(chrt -f 10)
HOME="$TEST_TMP/home" "${priority[@]}" "$BENCH" "$FRAMES" 2>"$TEST_TMP/err" || fail "the benchmark failed: $(cat "$TEST_TMP/err")"
