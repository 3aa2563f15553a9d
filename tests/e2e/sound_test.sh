#!/usr/bin/env bash
# sound_test.sh -- the real game's sound, captured through ALSA into a file: the music
# plays from start-up, centred, and each shot launched while Space is held sounds well
# to the left
set -uo pipefail
GAME="$1"
DATA="$2"
XPROBE="$3"
HERE="$(dirname "$0")"
source "$HERE/xvfb_lib.sh"

start_xvfb || fail "no X server"
prepare_game "$DATA"
capture="$TEST_TMP/capture.wav"
use_alsa capture "$capture"

# A second of title screen (Space does nothing there), then a game with Space held.
start_game "$GAME"
window=$("$XPROBE" find 10) || fail "no 320x300 window appeared: $(cat "$TEST_TMP/game.err")"
sleep 0.5
hold_key "$window" space 0.5
hold_key "$window" s
hold_key "$window" space 1.5
press_and_wait_for_exit "$window" Escape 2
status=$?
[ "$status" -eq 0 ] || fail "Escape: exit $status, expected 0"
[ -s "$capture" ] || fail "nothing was captured: $(cat "$TEST_TMP/game.err")"

# The capture plays faster than the game ran (the null device takes sound as fast as
# it comes), so its parts are found by their balance, not by the clock: music alone is
# centred; the shot sound, panned to 30 of 255, makes the left channel much louder.
python3 "$HERE/sound_check.py" balance "$capture" >"$TEST_TMP/balance.txt" ||
    fail "the capture cannot be read"
read -r music_end shots < <(awk '
    $2 > 1.3 * $3 + 100 { if (first == "") first = $1; n++ }
    END { print (first == "" ? "none" : first), n + 0 }' "$TEST_TMP/balance.txt")
[ "$music_end" != none ] || fail "no shot sound: the left channel never leads"
[ "$shots" -ge 3 ] || fail "only $shots windows of shot sound for nine launches"

# Before the first shot: the music, not silence, and centred.
rms_db=$(sox "$capture" -n trim 0 "$music_end" stats 2>&1 | awk '/^RMS lev dB/ {print $4}')
[ -n "$rms_db" ] || fail "sox could not measure the music"
awk -v db="$rms_db" 'BEGIN { exit !(db ~ /^-?[0-9.]+$/ && db + 0 > -40) }' ||
    fail "the music before the first shot is silent ($rms_db dB)"
off_centre=$(awk -v end="$music_end" '$1 < end && ($2 + $3) > 400 &&
    ($2 > 1.1 * $3 || $3 > 1.1 * $2)' "$TEST_TMP/balance.txt" | wc -l)
[ "$off_centre" -eq 0 ] || fail "$off_centre windows of the music alone are off centre"
echo "sound: music at $rms_db dB from start-up, shot sound in $shots windows: ok"
