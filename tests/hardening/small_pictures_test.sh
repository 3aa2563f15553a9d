#!/usr/bin/env bash
# small_pictures_test.sh -- pictures smaller than the regions the game copies from:
# the library clips every copy, so the game plays on exactly as with its own pictures.
# Several games are played through the runner with each set of small pictures; the
# run must reach the end of its script, and every frame's game state (all of the trace
# but the picture hash) must equal that of the same games with the real pictures.
#
# usage: small_pictures_test.sh REPLAY DATA_DIR
set -uo pipefail
REPLAY="$(realpath "$1")"
DATA="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
TMP="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-small.XXXXXX")"
trap 'rm -rf "$TMP"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Games that fire, steer, climb, die and restart, and one left to run to the level end.
cat >"$TMP/games.keys" <<'KEYS'
60 -
1 S
200 SPACE+LEFT
200 SPACE+RIGHT+UP
150 SPACE+DOWN
400 -
1 S
300 SPACE
300 LEFT+UP
1 S
3000 SPACE+RIGHT
1 S
6000 -
KEYS

# run_with NAME: the runner over the script with the data folder $TMP/NAME; the trace
# without its picture hashes in $TMP/NAME.state.
run_with() {
    "$REPLAY" --data "$TMP/$1" --trace "$TMP/$1.trace" "$TMP/games.keys" 2>"$TMP/$1.err"
    local status=$?
    [ "$status" -eq 0 ] || fail "$1: exit $status: $(head -c 400 "$TMP/$1.err")"
    sed 's/"pixels":"[0-9a-f]*",\{0,1\}//' "$TMP/$1.trace" >"$TMP/$1.state"
}

# pictures NAME SHEET_W SHEET_H BACKDROP_W BACKDROP_H TITLE_W TITLE_H
pictures() {
    mkdir -p "$TMP/$1/data"
    cp "$DATA"/*.wav "$TMP/$1/data/"
    python3 "$HERE/make_test_file.py" plain "$2" "$3" "$TMP/$1/data/main.bmp"
    python3 "$HERE/make_test_file.py" plain "$4" "$5" "$TMP/$1/data/back.bmp"
    python3 "$HERE/make_test_file.py" plain "$6" "$7" "$TMP/$1/data/main2.bmp"
}

mkdir -p "$TMP/real"
cp -r "$DATA" "$TMP/real/data"
run_with real
frames=$(wc -l <"$TMP/real.state")
[ "$frames" -eq 10615 ] || fail "real pictures: $frames trace lines, expected 10615"
grep -q '"gameMode":2' "$TMP/real.state" || fail "real pictures: no game was played"

pictures one_pixel 1 1 1 1 1 1
pictures one_short 999 599 319 599 639 299
pictures partial 300 200 320 300 320 300
pictures wide_but_flat 1000 10 320 10 640 10
for set in one_pixel one_short partial wide_but_flat; do
    run_with "$set"
    if ! cmp -s "$TMP/real.state" "$TMP/$set.state"; then
        first=$(cmp "$TMP/real.state" "$TMP/$set.state" | awk '{print $NF}')
        fail "$set: the game state differs from the real pictures' from trace line $first on"
    fi
    if cmp -s "$TMP/real.trace" "$TMP/$set.trace"; then
        fail "$set: the pictures are identical to the real ones; the small pictures were not read"
    fi
done
echo "small pictures: ok"
