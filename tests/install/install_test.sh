#!/usr/bin/env bash
# install_test.sh -- cmake --install into a scratch prefix with a space in its name, moved
# afterwards: the game in games/ with its data in share/games/driftwing, started from
# another folder (whose own data/ holds something else) by its path and through a link
# on PATH, with its arguments reaching it
#
#   install_test.sh CMAKE BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../e2e/xvfb_lib.sh"
prefix="$TEST_TMP/first prefix"
"$1" --install "$2" --prefix "$prefix" >"$TEST_TMP/install.log" 2>&1 || fail "$(cat "$TEST_TMP/install.log")"
for f in games/driftwing share/games/driftwing/data/{main,back,main2}.bmp share/games/driftwing/data/{effect,fall,gmsong}.wav \
         share/man/man6/driftwing.6.gz share/doc/driftwing/{copyright,changelog.gz} \
         share/applications/io.github.driftwing.Driftwing.desktop share/metainfo/io.github.driftwing.Driftwing.metainfo.xml \
         share/icons/hicolor/64x64/apps/io.github.driftwing.Driftwing.png; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
mv "$prefix" "$TEST_TMP/moved prefix"
mkdir -p "$TEST_TMP/elsewhere/data" "$TEST_TMP/path"
echo "not the game's" >"$TEST_TMP/elsewhere/data/notes.txt"
ln -s "$TEST_TMP/moved prefix/games/driftwing" "$TEST_TMP/path/driftwing"
start_xvfb 1024x768x24
for game in "$TEST_TMP/moved prefix/games/driftwing" driftwing; do
    (cd "$TEST_TMP/elsewhere" && PATH="$TEST_TMP/path:$PATH" HOME="$TEST_TMP" exec "$game" --scale 1) 2>"$TEST_TMP/err" &
    pid=$!
    window=$(wait_for_window) || fail "$game: no 320x300 window (--scale 1): $(cat "$TEST_TMP/err")"
    hold_key "$window" Escape
    wait_for_exit "$pid" 5 || fail "$game: no exit 0 after Escape: $(cat "$TEST_TMP/err")"
done
echo "installed game: ok"
