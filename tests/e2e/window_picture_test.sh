#!/usr/bin/env bash
# window_picture_test.sh -- the real game's window: size and caption, both title
# pictures with the score line, the title blinking on time, S showing the ship on the
# backdrop, and Escape quitting a game at once
set -uo pipefail
GAME="$1"
DATA="$2"
XPROBE="$3"
HERE="$(dirname "$0")"
source "$HERE/xvfb_lib.sh"
check() { python3 "$HERE/picture_check.py" "$@"; }

start_xvfb || fail "no X server"
prepare_game "$DATA"

# The watch starts before the game so that it sees the very first title picture.
"$XPROBE" watch 7 >"$TEST_TMP/watch.txt" &
watch_pid=$!
CHILD_PIDS+=("$watch_pid")
start_game "$GAME"
window=$("$XPROBE" find 10) || fail "no 320x300 window appeared: $(cat "$TEST_TMP/game.err")"

# The caption is there and empty.
caption=$("$XPROBE" name "$window") || fail "the window has no caption property"
[ "$caption" = '""' ] || fail "caption is $caption, expected it empty"

# One second in, title frame 1 is showing, the score line over it.
sleep 1
"$XPROBE" shot "$window" "$TEST_TMP/title.ppm" || fail "no screenshot of $window: $(cat "$TEST_TMP/game.err")"
check title "$TEST_TMP/title.ppm" "$GAME_DIR/data" || fail "title screen"

# Title frame 2 follows 300 frames after title frame 1: 5 seconds at 60 frames a second.
wait "$watch_pid" || fail "the picture watch failed"
seconds=$(check switch "$TEST_TMP/watch.txt") || fail "title blink"
python3 -c "import sys; sys.exit(abs($seconds - 5.0) > 0.3)" ||
    fail "title frame 2 came $seconds s after title frame 1, expected 5.0 +- 0.3"
echo "title frame 2 after $seconds s"

# Title frame 2 is showing now, for another second or so.
"$XPROBE" shot "$window" "$TEST_TMP/title2.ppm" || fail "no screenshot of $window"
check title2 "$TEST_TMP/title2.ppm" "$GAME_DIR/data" || fail "second title frame"

# S starts a game: the ship on the scrolling backdrop. A screenshot may catch the
# window in the middle of an update, so a few are tried.
hold_key "$window" s
sleep 0.4
playing=1
for _ in 1 2 3; do
    "$XPROBE" shot "$window" "$TEST_TMP/playing.ppm" || fail "no screenshot"
    if check playing "$TEST_TMP/playing.ppm" "$GAME_DIR/data" 2>"$TEST_TMP/playing.err"; then
        playing=0
        break
    fi
    sleep 0.1
done
[ "$playing" -eq 0 ] || fail "after S: $(cat "$TEST_TMP/playing.err")"

# Escape in a game quits with 0 within a second.
press_and_wait_for_exit "$window" Escape 1
status=$?
[ "$status" -eq 0 ] || fail "Escape in a game: exit $status, expected 0 within 1 s"
echo "window and picture: ok"
