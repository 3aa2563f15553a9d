#!/usr/bin/env bash
# process_startup_test.sh -- the real game: Escape quits with 0; no display or no data fails with 1
set -uo pipefail
GAME="$1"
DATA="$2"
source "$(dirname "$0")/xvfb_lib.sh"

# No display at all: one line on standard error, exit 1, no crash.
mkdir -p "$TEST_TMP/game" && cp -r "$DATA" "$TEST_TMP/game/data"
cd "$TEST_TMP/game"
env -u DISPLAY "$GAME" 2>"$TEST_TMP/err" >/dev/null
status=$?
[ "$status" -eq 1 ] || fail "no DISPLAY: exit $status, expected 1"
grep -q "driftwing: cannot start" "$TEST_TMP/err" || fail "no DISPLAY: no message: $(cat "$TEST_TMP/err")"

start_xvfb || fail "no X server"

# Missing data: exit 1 naming the file, and no window left.
mkdir -p "$TEST_TMP/empty" && cd "$TEST_TMP/empty"
"$GAME" 2>"$TEST_TMP/err" >/dev/null
status=$?
[ "$status" -eq 1 ] || fail "missing data: exit $status, expected 1"
grep -q "cannot load data/main.bmp" "$TEST_TMP/err" || fail "missing data: $(cat "$TEST_TMP/err")"

# A real start: the title window appears, Escape quits with 0.
cd "$TEST_TMP/game"
"$GAME" 2>/dev/null &
pid=$!
CHILD_PIDS+=("$pid")
window=$(wait_for_game_window) || fail "no 320x300 window appeared"
hold_key "$window" Escape
wait_for_exit "$pid" 5
status=$?
[ "$status" -eq 0 ] || fail "Escape: exit $status, expected 0"
echo "process start-up: ok"
