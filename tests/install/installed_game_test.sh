#!/usr/bin/env bash
# installed_game_test.sh -- install into a scratch prefix, move it, and play it from elsewhere
#
# The launcher must find the game and its data/ whatever the caller's working
# directory, under any prefix (even one moved after installing, with a space in its
# name), and when it is reached through a symbolic link on PATH.
set -uo pipefail
CMAKE="$1"
BUILD="$2"
source "$(dirname "$0")/../e2e/xvfb_lib.sh"

installed="$TEST_TMP/first prefix"
"$CMAKE" --install "$BUILD" --prefix "$installed" >"$TEST_TMP/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$TEST_TMP/install.log")"

# The layout: launcher on bin/, the game with its six data files beside it, the
# desktop entry and the icon where desktops look for them.
game_dir="$installed/share/games/driftwing"
[ -x "$installed/bin/driftwing" ] || fail "no executable launcher bin/driftwing"
[ -x "$game_dir/driftwing" ] || fail "no game in share/games/driftwing"
for f in main.bmp back.bmp main2.bmp effect.wav fall.wav gmsong.wav; do
    [ -s "$game_dir/data/$f" ] || fail "data/$f not installed beside the game"
done
[ -f "$installed/share/applications/driftwing.desktop" ] || fail "no desktop entry"
[ -f "$installed/share/icons/hicolor/64x64/apps/driftwing.png" ] || fail "no icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$installed/share/applications/driftwing.desktop" ||
        fail "the desktop entry does not validate"
fi

# Moved after installing: nothing may point back at the first prefix.
moved="$TEST_TMP/moved prefix"
mv "$installed" "$moved"

# The caller's folder has a data/ of its own, with nothing usable in it.
elsewhere="$TEST_TMP/elsewhere"
mkdir -p "$elsewhere/data" "$TEST_TMP/home" "$TEST_TMP/path"
: >"$elsewhere/data/main.bmp"
ln -s "$moved/bin/driftwing" "$TEST_TMP/path/driftwing"

start_xvfb || fail "no X server"

# play_until_escape HOW COMMAND...: starts the game from $elsewhere, waits for its
# window, presses Escape and expects exit status 0 with no complaint.
play_until_escape() {
    local how="$1"
    shift
    (cd "$elsewhere" && exec env HOME="$TEST_TMP/home" "$@") >/dev/null 2>"$TEST_TMP/err" &
    GAME_PID=$!
    CHILD_PIDS+=("$GAME_PID")
    local window
    window=$(wait_for_game_window) || fail "$how: no 320x300 window: $(grep -v ALSA "$TEST_TMP/err")"
    press_and_wait_for_exit "$window" Escape 5
    local status=$?
    [ "$status" -eq 0 ] || fail "$how: exit $status after Escape: $(grep -v ALSA "$TEST_TMP/err")"
    if grep -q "^driftwing:" "$TEST_TMP/err"; then fail "$how: $(grep "^driftwing:" "$TEST_TMP/err")"; fi
}

play_until_escape "launcher by its path" "$moved/bin/driftwing"
play_until_escape "launcher by a link on PATH" env PATH="$TEST_TMP/path:$PATH" driftwing
echo "installed game: ok"
