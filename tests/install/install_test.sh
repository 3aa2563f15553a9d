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
mkdir -p "$TEST_TMP/game/data" "$TEST_TMP/home" "$TEST_TMP/path"
echo "not the game's" >"$TEST_TMP/game/data/notes.txt"
ln -s "$TEST_TMP/moved prefix/games/driftwing" "$TEST_TMP/path/driftwing"
start_xvfb 1024x768x24
for GAME in "$TEST_TMP/moved prefix/games/driftwing" driftwing; do
    PATH="$TEST_TMP/path:$PATH" start_game --scale 1
    window=$(wait_for_window) || fail "$GAME: no 320x300 window (--scale 1): $(cat "$TEST_TMP/err")"
    quit_game "$window" 5
done
echo "installed game: ok"
