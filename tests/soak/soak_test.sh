#!/usr/bin/env bash
# soak_test.sh -- the game played headless for a long pseudo-random key script: games
# start, end and restart over and over. The run must reach the end of its script with
# nothing on standard error (in a sanitizer build: no AddressSanitizer, UndefinedBehavior-
# Sanitizer or LeakSanitizer report), and its peak memory must equal, within 1 MiB, that
# of the same script stopped by Escape after 10,000 frames: nothing grows with play.
#
# usage: soak_test.sh REPLAY DATA_DIR MAKE_SOAK_SCRIPT FRAMES [SEED]
set -uo pipefail
REPLAY="$(realpath "$1")"
DATA_PARENT="$(dirname "$(realpath "$2")")"
MAKE_SCRIPT="$(realpath "$3")"
FRAMES="$4"
SEED="${5:-1}"
TMP="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-soak.XXXXXX")"
trap 'rm -rf "$TMP"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$MAKE_SCRIPT" "$FRAMES" "$SEED" >"$TMP/long.keys" || fail "no long script"
# The yardstick run reads the very same script but ends with Escape after 10,000
# frames, so both runs hold the same script in memory and differ only in play.
awk -v limit=10000 '
    /^#/ || NF == 0 { print; next }
    !cut && played + $1 >= limit { print limit - played, $2; print "1 ESC"; cut = 1; next }
    { if (!cut) played += $1; print }
' "$TMP/long.keys" >"$TMP/short.keys"

# The script really plays: count the games started in the first 10,000 frames.
"$REPLAY" --data "$DATA_PARENT" --trace - "$TMP/short.keys" 2>"$TMP/short_trace.err" |
    grep -o '"gameMode":[12]' | uniq | grep -c '"gameMode":2' >"$TMP/games"
games=$(cat "$TMP/games")
[ "$games" -ge 5 ] || fail "the first 10,000 frames started $games games, expected at least 5"

# run NAME FRAMES: the runner over $TMP/NAME.keys, without a trace; prints its time
# and peak memory in KiB.
run() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$TMP/$1.peak" "$REPLAY" --data "$DATA_PARENT" "$TMP/$1.keys" \
        >/dev/null 2>"$TMP/$1.err"
    local status=$?
    end=$(date +%s%N)
    [ "$status" -eq 0 ] || fail "$1 run: exit $status: $(head -c 2000 "$TMP/$1.err")"
    [ ! -s "$TMP/$1.err" ] || fail "$1 run: standard error not empty: $(head -c 2000 "$TMP/$1.err")"
    echo "$1 run: $2 frames in" \
        "$(((end - start) / 1000000)) ms, peak $(tail -n 1 "$TMP/$1.peak") KiB" >&2
}

run short 10001
run long "$FRAMES"
short_kb=$(tail -n 1 "$TMP/short.peak")
long_kb=$(tail -n 1 "$TMP/long.peak")
[ "$long_kb" -le $((short_kb + 1024)) ] ||
    fail "peak memory grew with play: $long_kb KiB after $FRAMES frames, $short_kb KiB after 10000"
echo "soak: ok ($games games in the first 10,000 frames)"
