#!/usr/bin/env bash
# display_cost.sh -- what showing the game costs, at scale 1, at scale 3 and fullscreen on a
# 1920 x 1080 screen (Xvfb): the present step on the game's thread and the whole
# process's share of one core, every thread counted (/proc/PID/task/*/stat), over 10 s of
# the title screen and of games with S and Space held (the whole picture moves in every
# frame of a game).
#
# Usage: bench/display_cost.sh [BUILD_DIR]   (default build/bench, built here if missing)
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
BUILD="$(cd "${1:-$ROOT/build/bench}" 2>/dev/null && pwd || echo "$ROOT/build/bench")"
BENCH="$BUILD/bench/driftwing-frame-pacing"
if [ ! -x "$BENCH" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
    cmake --build "$BUILD" -j 2 --target driftwing-frame-pacing assets || exit 1
fi
source "$ROOT/scripts/xvfb_lib.sh"
start_xvfb 1920x1080x24
game_folder "$BENCH" "$BUILD/data" && cd "$TEST_TMP/game" || exit 1

# Clock ticks of user and system time of every thread of a process.
ticks() { cat /proc/"$1"/task/*/stat 2>/dev/null | awk '{ sub(/.*\) /, ""); t += $12 + $13 } END { print t }'; }

echo "| shown | what | present step, median / p99 | CPU share of one core |"
echo "|---|---|---:|---:|"
for options in "--scale 1" "--scale 3" "--fullscreen"; do
  for what in title play; do
    HOME="$TEST_TMP/home" "$BENCH" 1080 ${what/title/} $options >"$TEST_TMP/out" 2>/dev/null &
    pid=$!
    sleep 3
    before=$(ticks "$pid")
    sleep 10
    after=$(ticks "$pid")
    wait "$pid"
    share=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f %%", 100 * t / hz / 10 }')
    present=$(awk '/^present step/ { print $6 " / " $9 " ms" }' "$TEST_TMP/out")
    echo "| $options | ${what/play/games} | $present | $share |"
  done
done
