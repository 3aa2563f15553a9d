#!/usr/bin/env bash
# record_test.sh -- a game recorded through the real window (S, steering, fire, hits, a
# loss, Escape) replays headless to the same state; with one key line changed it says
# where it went differently; a recording killed mid-game still replays to where it was
# cut; --play shows the recording for as long as it was played and ends with 0. A file
# that is there already, or cannot be made, stops the game before any window opens.
#
#   record_test.sh GAME REPLAY DATA_DIR
set -uo pipefail
source "$(dirname "$0")/xvfb_lib.sh"
game_folder "$1" "$3"
REPLAY="$(realpath "$2")"
use_alsa "$TEST_TMP/home" null
verify() { "$REPLAY" --data "$DATA/.." --verify "$1" 2>"$TEST_TMP/verify.err"; }

: >"$TEST_TMP/taken.keys"
"$GAME" --record "$TEST_TMP/taken.keys" 2>"$TEST_TMP/err"
[ $? -eq 1 ] && grep -q "exists already" "$TEST_TMP/err" || fail "an existing file: $(cat "$TEST_TMP/err")"
"$GAME" --record /nowhere/game.keys 2>"$TEST_TMP/err"
[ $? -eq 1 ] && grep -q "^driftwing: cannot record into /nowhere/game.keys" "$TEST_TMP/err" ||
    fail "a file that cannot be made: $(cat "$TEST_TMP/err")"

start_xvfb
start_game --record "$TEST_TMP/game.keys" --force
window=$(wait_for_window) || fail "no window: $(cat "$TEST_TMP/err")"
hold_key "$window" s
sleep 2.5  # an idle game is lost to a diver in about two seconds
hold_key "$window" s
xdotool keydown space
hold_key "$window" Left 0.5
hold_key "$window" Right 0.3
sleep 1.5
xdotool keyup space
quit_game "$window" 3
grep -q "SPACE" "$TEST_TMP/game.keys" && grep -q "^# end frame [0-9]* state [0-9a-f]*$" "$TEST_TMP/game.keys" ||
    fail "the recording: $(cat "$TEST_TMP/game.keys")"
verify "$TEST_TMP/game.keys" || fail "the recording does not verify: $(cat "$TEST_TMP/verify.err")"
frames=$(awk '/^# end frame/ { print $4 }' "$TEST_TMP/game.keys")
# Down in the frames just before Escape (Down moves the ship in any mode, and nothing
# after it can undo that): the same frames, a different game.
awk '{ line[NR] = $0 } $2 == "ESC" { esc = NR }
     END { for (i = 1; i <= NR; i++) { if (i == esc - 1) { split(line[i], w, " ")
           line[i] = w[1] " " (w[2] == "-" ? "DOWN" : w[2] "+DOWN") } print line[i] } }' \
    "$TEST_TMP/game.keys" >"$TEST_TMP/changed.keys"
verify "$TEST_TMP/changed.keys"
[ $? -eq 1 ] && grep -q "played out differently: frame [0-9]* of $frames" "$TEST_TMP/verify.err" ||
    fail "a changed recording: $(cat "$TEST_TMP/verify.err")"

start_game --record "$TEST_TMP/cut.keys"
window=$(wait_for_window) || fail "no window: $(cat "$TEST_TMP/err")"
hold_key "$window" s
sleep 2
kill -9 "$GAME_PID"
verify "$TEST_TMP/cut.keys" && grep -q "has no closing state" "$TEST_TMP/verify.err" &&
    [ "$(awk '$1 ~ /^[0-9]+$/ { n += $1 } END { print n }' "$TEST_TMP/cut.keys")" -ge 60 ] ||
    fail "a recording cut short: $(cat "$TEST_TMP/verify.err") $(cat "$TEST_TMP/cut.keys")"

start_game --play "$TEST_TMP/game.keys"
began=$(date +%s%N)
wait_for_exit "$GAME_PID" 30 || fail "--play: exit $?: $(cat "$TEST_TMP/err")"
took=$((($(date +%s%N) - began) / 1000000))
[ "$took" -ge $((frames * 1000 / 60 * 9 / 10)) ] || fail "--play took $took ms for $frames frames"
echo "recordings: ok"
