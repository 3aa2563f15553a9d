#!/usr/bin/env bash
# windows.sh -- the Windows package played under Wine on a private X server: title frame 1
# pixel for pixel with the score line, the blink at 60 frames a second, S starting a
# game, Escape quitting with 0; then --scale 2, every pixel doubled. The first game is
# recorded and must verify with the Linux replay runner, and a game recorded by the
# Linux build must play out the same in driftwing.exe. Builds the package with scripts/windows; installs Wine
# (its 32-bit half needs the i386 architecture, which it adds).
source "$(dirname "$0")/../lib.sh"
source "$ROOT/scripts/xvfb_lib.sh"
set +e
ensure_packages xvfb xdotool x11-utils python3
cmake --build "$ROOT/build/test" --target xprobe >/dev/null
XPROBE="$ROOT/build/test/tests/xprobe"
started=$(date +%s)

# Wine with its 32-bit half; if the i386 lists cannot be had (a mirror mid-sync), the
# 64-bit build under 64-bit Wine, whose pace is then only reported.
bits=32
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    apt_update >/dev/null 2>&1
    install=(apt_get install -y -q --no-install-recommends)
    "${install[@]}" wine wine64 wine32:i386 >"$TEST_TMP/apt.log" 2>&1 ||
        "${install[@]}" -t bookworm wine wine64 wine32:i386 >>"$TEST_TMP/apt.log" 2>&1 || bits=64
    [ "$bits" = 32 ] || "${install[@]}" wine wine64 >>"$TEST_TMP/apt.log" 2>&1 ||
        fail "Wine cannot be installed: $(tail -n 5 "$TEST_TMP/apt.log")"
fi
# A kernel without 32-bit support (some virtual machines) runs no i386 program, Wine's
# loader included: there, the 64-bit build under 64-bit Wine too.
arch=$(played_windows_arch)
if [ "$bits" = 32 ] && [ "$arch" = x86_64 ] && [ "${DRIFTWING_WINE_BITS:-}" != 64 ]; then
    echo "-- this machine runs no 32-bit programs ($(/usr/lib/wine/wine --version 2>&1 | tail -n 1))"
fi
[ "$arch" = i686 ] || bits=64
if [ "$bits" = 64 ] && [ -x /usr/lib/wine/wine ]; then  # Debian's wine would take the 32-bit loader
    mkdir -p "$TEST_TMP/bin"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$TEST_TMP/bin/wine"
    chmod +x "$TEST_TMP/bin/wine"
    export PATH="$TEST_TMP/bin:$PATH" WINELOADER=/usr/lib/wine/wine64
fi
zip="$ROOT/build/windows/driftwing-windows.zip"
[ "$bits" = 32 ] || zip="$ROOT/build/windows-x86_64/driftwing-windows-x86_64.zip"
mkdir -p "$TEST_TMP/game" "$TEST_TMP/home"
use_alsa "$TEST_TMP/home" null
export HOME="$TEST_TMP/home" WINEPREFIX="$TEST_TMP/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; cleanup_x' EXIT
start_xvfb 1024x768x24
# Wine makes its prefix while the package is built.
timeout 180 wine wineboot --init >"$TEST_TMP/wineboot.log" 2>&1 &
wineboot=$!
DRIFTWING_MINGW_ARCH=$arch bash "$ROOT/scripts/windows" ||
    fail "the Windows build"
wait "$wineboot" || fail "wineboot: $(tail "$TEST_TMP/wineboot.log")"
echo "-- the ${bits}-bit build under $(wine --version)"
(cd "$TEST_TMP/game" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
DATA="$TEST_TMP/game/data"
# play SIZE [OPTIONS]: driftwing.exe with the options, its window of that size in $window.
play() {
    (cd "$TEST_TMP/game" && exec timeout 300 wine driftwing.exe "${@:2}") >"$TEST_TMP/game.log" 2>&1 &
    game=$!
    window=$(wait_for_window 60 "$1") || fail "no $1 window: $(cat "$TEST_TMP/game.log")"
}
play 320x300 --scale 1 --record wine.keys

# shows FRAME [SECONDS [SCALE]]: waits until the window shows that title screen (at that
# scale), or ends 1; with no SECONDS it looks once.
shows() {
    for _ in $(seq $((${2:-0} * 5 + 1))); do
        "$XPROBE" shot "$window" "$TEST_TMP/shot.ppm" && python3 "$ROOT/tests/support/pictures.py" \
            title "$1" "$TEST_TMP/shot.ppm" "$DATA" "${3:-1}" 0 0 2>"$TEST_TMP/why" && return 0
        sleep 0.2
    done
    return 1
}

# quit: Escape until driftwing.exe ends; its exit status must be 0.
quit() {
    for _ in 1 2 3; do
        hold_key "$window" Escape
        wait_for_exit "$game" 5
        status=$?
        [ "$status" -eq 124 ] || break
    done
    [ "$status" -eq 0 ] || fail "Escape: exit status $status: $(cat "$TEST_TMP/game.log")"
}
shows 1 30 || fail "title frame 1: $(cat "$TEST_TMP/why")"

# A title frame comes back every 501 frames: a picture that lasted a second, seen
# appearing again, gives the pace.
"$XPROBE" watch 16 320x300 50 >"$TEST_TMP/watch.txt"
fps=$(awk 'NR > 2 && $1 - t >= 1000 { lasted[h] = 1 }
           NR > 1 && ($2 in lasted) { printf "%.1f", 501000 / ($1 - seen[$2]); exit }
           NR > 1 && !($2 in seen) { seen[$2] = $1 }
           { t = $1; h = $2 }' "$TEST_TMP/watch.txt")
echo "title blink: ${fps:-no whole cycle seen} frames a second"
[ "$bits" = 64 ] || awk -v f="${fps:-0}" 'BEGIN { exit !(f >= 55 && f <= 63) }' ||
    fail "the blink ran at '${fps}' frames a second, not 55-63: $(cat "$TEST_TMP/watch.txt")"

# Wine can take a key's press and release between two of the game's looks at the
# keyboard, so each key has three tries.
playing=no
for _ in 1 2 3; do
    hold_key "$window" s
    sleep 0.3
    shows 1 || shows 2 || { playing=yes; break; }
done
[ "$playing" = yes ] || fail "S did not start a game"
quit
"$ROOT/build/test/tools/replay/driftwing-replay" --data "$TEST_TMP/game" --verify "$TEST_TMP/game/wine.keys" ||
    fail "the recording made under Wine does not verify on Linux: $(cat "$TEST_TMP/game/wine.keys")"
play 640x600 --scale 2
shows 1 30 2 || fail "--scale 2: $(cat "$TEST_TMP/why")"
quit

# A game recorded by the Linux build, played again by driftwing.exe.
GAME="$ROOT/build/test/driftwing" start_game --scale 1 --record linux.keys
game=$GAME_PID
window=$(wait_for_window 10) || fail "no window of the Linux game"
hold_key "$window" s
hold_key "$window" space 1
quit
play 320x300 --scale 1 --play linux.keys
wait_for_exit "$game" 60 || fail "driftwing.exe --play of a Linux recording: exit $?: $(cat "$TEST_TMP/game.log")"
echo "windows stage: passed in $(($(date +%s) - started)) s"
