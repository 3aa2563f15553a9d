#!/usr/bin/env bash
# latency.sh -- key-to-picture latency, as a player feels it: the game beside an ideal 60 Hz program
#
# Usage: bench/latency.sh [BUILD_DIR] [PRESSES]
#   BUILD_DIR  a build folder holding driftwing, data/ and bench/driftwing-latency-probe
#              (default: build/bench, configured and built here if missing)
#   PRESSES    kept samples per target (default 100)
#
# One private X server (Xvfb, 1024 x 768) runs both targets, one after the other, each
# watched by bench/driftwing-latency-probe: it focuses the 640 x 600 window, waits for a
# still picture and a random phase (uniform over two 60 Hz periods), presses a key over
# XTest and polls the window's pixels over MIT-SHM at about 4 kHz; a sample is the time
# from the press to the first changed picture.
#
# The ideal program (bench/driftwing-ideal-60hz) reads its key events at each 16.667 ms
# tick and shows a new colour at once: Space, the picture otherwise still. Its figures are
# the floor any 60 Hz program on this server has (a key waits half a period on average).
#
# The game (driftwing --scale 2) is measured with the key a player presses on a still
# picture: S on the title screen, which starts a game, through the game's ordinary path
# (the keyboard thread, the frame's key poll, the next frame drawn, paced and shown).
# Nothing else is still: a game moves in every frame, and P (pause, resume) takes a path
# of its own. So a cycle is S, the game left idle until it is lost (about 2 s) and the
# title back and still for 250 ms (more than four times the longest pause between two
# game frames seen on a busy machine), then the next press: about 2.3 s a sample, the
# same process and server throughout, as a player would have it. The title's blink (5 s
# frame 1, 3.3 s frame 2, a blank frame between) changes a still picture with no key: a
# sample is thrown away when the picture changed before the press, when the first changed
# picture is one the title showed with no key, or when it then stands still (a blink, not
# a game). With 100 presses the game takes about 4 minutes, the ideal program 10 s.
# Needs xvfb, x11-utils, xdotool and libxtst-dev (scripts/packages-test.txt).
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
BUILD="$(cd "${1:-$ROOT/build/bench}" 2>/dev/null && pwd || echo "$ROOT/build/bench")"
PRESSES="${2:-100}"
PROBE="$BUILD/bench/driftwing-latency-probe"
IDEAL="$BUILD/bench/driftwing-ideal-60hz"
if [ ! -x "$PROBE" ] || [ ! -x "$IDEAL" ] || [ ! -x "$BUILD/driftwing" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
    cmake --build "$BUILD" -j 2 --target driftwing driftwing-latency-probe driftwing-ideal-60hz \
        assets || exit 1
fi
source "$ROOT/scripts/xvfb_lib.sh"
start_xvfb 1024x768x24
game_folder "$BUILD/driftwing" "$BUILD/data"

# row NAME RESULT: one table row from the probe's "PRESSES MEDIAN P90 P99 DISCARDED POLL_HZ".
row() {
    read -r presses median p90 p99 discarded hz <<<"$2"
    echo "| $1 | $presses | $median | $p90 | $p99 | $discarded | $hz |"
}

begun=$SECONDS
"$IDEAL" 600 &
ideal=$!
ideal_result=$("$PROBE" 640x600 space "$PRESSES" 2>"$TEST_TMP/ideal.err") ||
    fail "ideal program: $(tail -n 3 "$TEST_TMP/ideal.err")"
kill "$ideal"
wait "$ideal" 2>/dev/null

start_game --scale 2
window=$(wait_for_window 10 640x600) || fail "the game's window did not appear: $(cat "$TEST_TMP/err")"
game_result=$("$PROBE" 640x600 s "$PRESSES" --still 250 --moves 2>"$TEST_TMP/game.err") ||
    fail "game: $(tail -n 3 "$TEST_TMP/game.err")"
quit_game "$window" 5

echo "| key to picture | presses | median ms | p90 ms | p99 ms | thrown away | polls/s |"
echo "|---|---:|---:|---:|---:|---:|---:|"
row "driftwing --scale 2, S on the title" "$game_result"
row "ideal 60 Hz program, Space" "$ideal_result"
echo
echo "($((SECONDS - begun)) s; why samples were thrown away: $(sort "$TEST_TMP/game.err" "$TEST_TMP/ideal.err" | uniq -c | sed 's/^ *//; s/discarded: //' | paste -sd ';' | sed 's/;/; /g'))"
