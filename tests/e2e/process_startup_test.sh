#!/usr/bin/env bash
# process_startup_test.sh -- the real game started as a player would: without a display,
# with missing or damaged data, without a working sound device, and normally
set -uo pipefail
GAME="$1"
DATA="$2"
source "$(dirname "$0")/xvfb_lib.sh"
prepare_game "$DATA"

# expect_start_failure WHAT MESSAGE: the game, started in $GAME_DIR, ends at once with
# exit 1 and a line on standard error holding MESSAGE, and leaves no window behind.
expect_start_failure() {
    start_game "$GAME"
    wait_for_exit "$GAME_PID" 10
    local status=$?
    [ "$status" -eq 1 ] || fail "$1: exit $status, expected 1"
    grep -q "$2" "$TEST_TMP/game.err" || fail "$1: no message '$2': $(cat "$TEST_TMP/game.err")"
    if [ -n "${DISPLAY:-}" ]; then
        xwininfo -root -children | grep -q 320x300 && fail "$1: a window was left open"
    fi
    return 0
}

# expect_silent_game WHAT: the title window comes up and Escape quits with 0.
expect_silent_game() {
    start_game "$GAME"
    local window
    window=$(wait_for_game_window) || fail "$1: no window: $(cat "$TEST_TMP/game.err")"
    sleep 0.3
    kill -0 "$GAME_PID" 2>/dev/null || fail "$1: the game ended by itself"
    press_and_wait_for_exit "$window" Escape 5
    local status=$?
    [ "$status" -eq 0 ] || fail "$1: Escape: exit $status, expected 0"
}

# No display at all: one line on standard error, exit 1, no crash.
(
    unset DISPLAY
    expect_start_failure "no DISPLAY" "driftwing: cannot start"
) || exit 1

start_xvfb || fail "no X server"

# No data folder.
mv "$GAME_DIR/data" "$TEST_TMP/data.saved"
expect_start_failure "no data folder" "cannot load data/main.bmp"
mv "$TEST_TMP/data.saved" "$GAME_DIR/data"

# The backdrop picture missing, cut short, or not a picture at all: the message names it.
back="$GAME_DIR/data/back.bmp"
cp "$back" "$TEST_TMP/back.saved"
rm "$back"
expect_start_failure "missing back.bmp" "cannot load data/back.bmp"
head -c 4000 "$TEST_TMP/back.saved" >"$back"
expect_start_failure "truncated back.bmp" "cannot load data/back.bmp"
printf 'BM this is not a picture\n%.0s' $(seq 50) >"$back"
expect_start_failure "garbage back.bmp" "cannot load data/back.bmp"
cp "$TEST_TMP/back.saved" "$back"

# No sound: a device that plays nothing, or a sound card that is not there. The game
# still runs, silently.
use_alsa null
expect_silent_game "ALSA null device"
use_alsa missing
expect_silent_game "no sound card"
rm -f "$GAME_HOME/.asoundrc"

# A real start: the title window appears, Escape quits with 0.
expect_silent_game "plain start"
echo "process start-up: ok"
