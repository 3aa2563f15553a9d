#!/usr/bin/env bash
# close_request_test.sh -- the window's close button (WM_DELETE_WINDOW, as a window
# manager sends it) quits the real game with 0, on the title screen and in a game
set -uo pipefail
GAME="$1"
DATA="$2"
XPROBE="$3"
source "$(dirname "$0")/xvfb_lib.sh"

start_xvfb || fail "no X server"
prepare_game "$DATA"

# close_and_expect_exit WHERE: asks the window to close; the game must end with 0.
close_and_expect_exit() {
    "$XPROBE" close "$window" || fail "$1: could not send the close request"
    wait_for_exit "$GAME_PID" 2
    local status=$?
    [ "$status" -eq 0 ] || fail "$1: exit $status after the close request, expected 0"
    "$XPROBE" find 0.2 >/dev/null && fail "$1: the window is still there"
    return 0
}

# On the title screen.
start_game "$GAME"
window=$("$XPROBE" find 10) || fail "no 320x300 window appeared: $(cat "$TEST_TMP/game.err")"
sleep 0.5
close_and_expect_exit "title screen"

# In the middle of a game, with a steering key held.
start_game "$GAME"
window=$("$XPROBE" find 10) || fail "no 320x300 window appeared: $(cat "$TEST_TMP/game.err")"
sleep 0.3
hold_key "$window" s
xdotool keydown Left
sleep 0.3
close_and_expect_exit "in a game"
xdotool keyup Left
echo "close request: ok"
