#!/usr/bin/env bash
# bad_data_test.sh -- the game and the replay runner given damaged or hostile data files
#
# Every damaged asset must stop start-up with exit 1 and exactly one line on standard
# error naming the file, leave no window behind, and never make the library allocate
# what the file only claims to hold.
#
# usage: bad_data_test.sh GAME REPLAY DATA_DIR
set -uo pipefail
GAME="$(realpath "$1")"
REPLAY="$(realpath "$2")"
DATA="$3"
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/../e2e/xvfb_lib.sh"
prepare_game "$DATA"
use_alsa null  # a sound device that plays nothing
printf '1 -\n' >"$TEST_TMP/one_frame.keys"
FAILURES=0

# check WHAT CONDITION MESSAGE: counts a failure instead of stopping, so that one run
# lists every case that goes wrong.
check() {
    if ! eval "$2"; then
        echo "FAIL: $1: $3" >&2
        FAILURES=$((FAILURES + 1))
    fi
}

restore_data() {
    rm -rf "$GAME_DIR/data"
    cp -r "$DATA" "$GAME_DIR/data"
}

# run_program NAME: runs the game (NAME game) or the runner (NAME replay) in $GAME_DIR
# with a time limit; exit status in $STATUS, standard error in $TEST_TMP/err, peak
# resident memory in KiB in $PEAK_KB.
run_program() {
    local command
    if [ "$1" = game ]; then command=("$GAME"); else command=("$REPLAY" "$TEST_TMP/one_frame.keys"); fi
    (cd "$GAME_DIR" && exec env HOME="$GAME_HOME" timeout 60 \
        /usr/bin/time -f %M -o "$TEST_TMP/peak" "${command[@]}") >/dev/null 2>"$TEST_TMP/err"
    STATUS=$?
    PEAK_KB=$(tail -n 1 "$TEST_TMP/peak" 2>/dev/null || echo 0)
}

# expect_refusal PROGRAM CASE FILE: start-up ends with 1 and the single line naming FILE.
expect_refusal() {
    local program="$1" case_name="$2" file="$3"
    run_program "$program"
    check "$program, $case_name" '[ "$STATUS" -eq 1 ]' "exit $STATUS, expected 1"
    # On a machine without a sound card the sound library adds lines of its own
    # ("ALSA lib ..."); everything else on standard error is the game's.
    grep -v '^ALSA lib ' "$TEST_TMP/err" >"$TEST_TMP/own_err"
    check "$program, $case_name" \
        '[ "$(cat "$TEST_TMP/own_err")" = "driftwing: cannot load data/$file" ]' \
        "standard error is not the one line naming $file: $(head -c 300 "$TEST_TMP/own_err")"
    if [ "$program" = game ]; then
        check "game, $case_name" '! xwininfo -root -children | grep -q 320x300' \
            "a 320x300 window is still open"
    fi
}

start_xvfb || fail "no X server"

# Each of the six files missing, empty, cut to half its length, or of the other kind.
picture="$DATA/back.bmp"
sound="$DATA/effect.wav"
for file in main.bmp back.bmp main2.bmp effect.wav fall.wav gmsong.wav; do
    target="$GAME_DIR/data/$file"
    case "$file" in *.bmp) foreign="$sound" ;; *) foreign="$picture" ;; esac
    for damage in missing empty half foreign; do
        restore_data
        case "$damage" in
            missing) rm "$target" ;;
            empty) : >"$target" ;;
            half) head -c $(($(stat -c %s "$DATA/$file") / 2)) "$DATA/$file" >"$target" ;;
            foreign) cp "$foreign" "$target" ;;
        esac
        expect_refusal game "$file $damage" "$file"
        expect_refusal replay "$file $damage" "$file"
    done
done

# A picture whose header claims far more than the file holds, or a coding the library
# does not read: refused before the library allocates the picture. The peak memory of
# a run that fails on a missing file is the yardstick; a run that allocated the claimed
# picture would need 16 MiB more at the least.
restore_data
rm "$GAME_DIR/data/main.bmp"
run_program game
game_baseline_kb=$PEAK_KB
run_program replay
replay_baseline_kb=$PEAK_KB
claims=(
    "60000 60000 0 8:60000 x 60000 at 8 bits"
    "60000 60000 0 32:60000 x 60000 at 32 bits"
    "60000 1 0 8:60000 pixels wide"
    "1 60000 0 8:60000 pixels high"
    "2147483647 2147483647 0 32:2^31-1 on both sides"
    "4000 4000 0 8:4000 x 4000 with 64 bytes of rows"
    "4000 4000 3 32:4000 x 4000 bit fields with 64 bytes of rows"
    "8192 8192 1 8:8192 x 8192 run-length coded"
    "1000 -600 0 8:top-down rows (negative height)"
    "1000 600 1 8:run-length coding at 8 bits"
    "1000 600 2 4:run-length coding at 4 bits"
    "1000 600 3 24:colour masks at 24 bits"
    "1000 600 4 8:JPEG coding"
    "1000 600 5 8:PNG coding"
    "1000 600 0 7:7 bits per pixel"
    "0 600 0 8:zero width"
)
for claim in "${claims[@]}"; do
    read -r w h coding bits <<<"${claim%%:*}"
    restore_data
    python3 "$HERE/make_test_file.py" claim "$w" "$h" "$coding" "$bits" "$GAME_DIR/data/main.bmp"
    for program in game replay; do
        expect_refusal "$program" "main.bmp claiming ${claim#*:}" main.bmp
        baseline=$game_baseline_kb
        [ "$program" = replay ] && baseline=$replay_baseline_kb
        check "$program, main.bmp claiming ${claim#*:}" '[ "$PEAK_KB" -le $((baseline + 16384)) ]' \
            "peak memory $PEAK_KB KiB against $baseline KiB when the file is missing"
    done
done

# Sounds the library's reader would mishandle (lose a sample, misread the chunks that
# follow, or allocate what a chunk only claims): refused, whichever of the three sounds.
for kind in $(python3 "$HERE/make_test_file.py" wav-kinds); do
    file=gmsong.wav
    case "$kind" in two_*) file=effect.wav ;; half_*) file=fall.wav ;; esac
    restore_data
    python3 "$HERE/make_test_file.py" wav "$kind" "$GAME_DIR/data/$file"
    for program in game replay; do
        expect_refusal "$program" "$file: $kind" "$file"
    done
done

[ "$FAILURES" -eq 0 ] || fail "$FAILURES bad-data case(s) went wrong"
echo "bad data files: ok"
