#!/usr/bin/env bash
# game_test.sh -- the real game as a player starts it: no display, missing data, then a
# window on a private X server: its size and empty caption, both title frames pixel for
# pixel with the score line, the blink's timing, S, Space with the shot sound heard over
# the music, Escape, and the close button in a game without a sound card.
#
#   game_test.sh GAME DATA_DIR XPROBE
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/xvfb_lib.sh"
game_folder "$1" "$2"
XPROBE="$3"
check_title() { python3 "$HERE/../support/pictures.py" title "$@" "$DATA"; }

# expect_failure WHAT MESSAGE: the game ends at once with 1 and says MESSAGE.
expect_failure() {
    wait_for_exit "$GAME_PID" 10
    local status=$?
    [ "$status" -eq 1 ] && grep -q "^driftwing: $2" "$TEST_TMP/err" ||
        fail "$1: exit $status, expected 1 and '$2': $(cat "$TEST_TMP/err")"
}

(unset DISPLAY && start_game && expect_failure "no display" "cannot start") || exit 1
start_xvfb
start_game --data "$TEST_TMP/nowhere"
expect_failure "no data folder" "cannot load $TEST_TMP/nowhere/data/main.bmp"
xwininfo -root -children | grep -q ' 320x300+' && fail "a window is left open after a failed start"

use_alsa "$TEST_TMP/home" capture "$TEST_TMP/sound.wav"
"$XPROBE" watch 7 >"$TEST_TMP/watch.txt" &
WATCH_PID=$!
start_game
window=$(wait_for_window) || fail "no 320x300 window: $(cat "$TEST_TMP/err")"
[ "$(xprop -id "$window" WM_NAME)" = "WM_NAME(STRING) = " ] || fail "the caption is not empty"
sleep 1
"$XPROBE" shot "$window" "$TEST_TMP/title1.ppm" && check_title 1 "$TEST_TMP/title1.ppm" ||
    fail "title frame 1"

# Title frame 2 follows frame 1 after 300 frames: 5 s at 60 frames a second. Pictures
# that last under a second (the blank frame between, a half-copied window) are passed over.
wait "$WATCH_PID"
seconds=$(awk 'NR > 1 && $1 - t >= 1000 { s[++n] = t } NR == 1 { first = $1 } { t = $1 }
               END { s[++n] = t; if (s[1] != first && n >= 2) printf "%.2f", (s[2] - s[1]) / 1000 }' \
          "$TEST_TMP/watch.txt")
awk -v s="$seconds" 'BEGIN { exit !(s >= 4.7 && s <= 5.3) }' ||
    fail "title frame 2 came '$seconds' s after frame 1, expected 5.0 +- 0.3: $(cat "$TEST_TMP/watch.txt")"
"$XPROBE" shot "$window" "$TEST_TMP/title2.ppm" && check_title 2 "$TEST_TMP/title2.ppm" ||
    fail "title frame 2"

hold_key "$window" s
hold_key "$window" space 1.5
"$XPROBE" shot "$window" "$TEST_TMP/game.ppm"
check_title 2 "$TEST_TMP/game.ppm" 2>/dev/null && fail "S did not start a game"
xdotool keydown Escape
wait_for_exit "$GAME_PID" 1
status=$?
xdotool keyup Escape
[ "$status" -eq 0 ] || fail "Escape in a game: exit $status, expected 0 within 1 s"

# The capture runs faster than the game did (the null device takes sound as it comes), so
# its parts are told by their balance: the music alone is centred; the shot sound, panned
# to 30 of 255, makes the left channel much louder.
python3 - "$TEST_TMP/sound.wav" <<'EOF' || fail "the sound of the game"
import array, sys, wave
w = wave.open(sys.argv[1])
s = array.array("h", w.readframes(w.getnframes()))
step = w.getframerate() // 20 * 2
rms = [tuple((sum(v * v for v in s[i + c:i + step:2]) / (step // 2)) ** 0.5 for c in (0, 1))
       for i in range(0, len(s) - step + 1, step)]
shots = [i for i, (l, r) in enumerate(rms) if l > 1.3 * r + 100]
music = [(l, r) for l, r in rms[:shots[0] - 1 if shots else 0] if l + r > 400]  # the shot's first window apart
if len(shots) < 3 or len(music) < 5 or any(abs(l - r) > 0.1 * max(l, r) for l, r in music):
    sys.exit("%d windows of shot sound; the music before them: %s" % (len(shots), music))
EOF

# The close button quits a game too; no sound card does not stop the game.
use_alsa "$TEST_TMP/home" missing
start_game
window=$(wait_for_window) || fail "no window without a sound card: $(cat "$TEST_TMP/err")"
hold_key "$window" s
xdotool keydown Left
"$XPROBE" close "$window"
wait_for_exit "$GAME_PID" 2
status=$?
xdotool keyup Left
[ "$status" -eq 0 ] || fail "the close button: exit $status, expected 0"
echo "the game in its window: ok"
