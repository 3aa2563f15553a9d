#!/usr/bin/env bash
# install_test.sh -- cmake --install into a scratch prefix with a space in its name, moved
# afterwards, and the game started by its launcher (also through a link on PATH) from a
# folder whose own data/ is useless
#
#   install_test.sh CMAKE BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../e2e/xvfb_lib.sh"
prefix="$TEST_TMP/first prefix"
"$1" --install "$2" --prefix "$prefix" >"$TEST_TMP/install.log" 2>&1 || fail "$(cat "$TEST_TMP/install.log")"
for f in bin/driftwing share/games/driftwing/driftwing share/applications/driftwing.desktop \
         share/icons/hicolor/64x64/apps/driftwing.png share/games/driftwing/data/{main,back,main2}.bmp \
         share/games/driftwing/data/{effect,fall,gmsong}.wav; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
mv "$prefix" "$TEST_TMP/moved prefix"
mkdir -p "$TEST_TMP/elsewhere/data" "$TEST_TMP/path"
: >"$TEST_TMP/elsewhere/data/main.bmp"
ln -s "$TEST_TMP/moved prefix/bin/driftwing" "$TEST_TMP/path/driftwing"
start_xvfb
for launcher in "$TEST_TMP/moved prefix/bin/driftwing" driftwing; do
    (cd "$TEST_TMP/elsewhere" && PATH="$TEST_TMP/path:$PATH" HOME="$TEST_TMP" exec "$launcher") 2>"$TEST_TMP/err" &
    pid=$!
    window=$(wait_for_window) || fail "$launcher: no window: $(cat "$TEST_TMP/err")"
    hold_key "$window" Escape
    wait_for_exit "$pid" 5 || fail "$launcher: no exit 0 after Escape: $(cat "$TEST_TMP/err")"
done
echo "installed game: ok"
