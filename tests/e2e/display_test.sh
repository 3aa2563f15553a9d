#!/usr/bin/env bash
# display_test.sh -- how the real game's window shows the frame, on a 1024 x 768 screen:
# an unknown option, black until the first title picture, --scale 2 with every pixel
# doubled, F11 into fullscreen (scale 2, centred, black around) and back, P freezing a
# game and letting it go on, and the settings file written, read back and, damaged, ignored.
#
#   display_test.sh GAME DATA_DIR XPROBE
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/xvfb_lib.sh"
game_folder "$1" "$2"
XPROBE="$3"
use_alsa "$TEST_TMP/home" null
SETTINGS="$TEST_TMP/home/.config/driftwing/settings.cfg"
shot() { "$XPROBE" shot "$1" "$TEST_TMP/$2.ppm"; }
is_title() { python3 "$HERE/../support/pictures.py" title 1 "$TEST_TMP/$1.ppm" "$DATA" "${@:2}"; }
# shows_title NAME SCALE X Y: the window shows the title there within 5 s (a busy machine
# may take a while over a change of mode); the last look is kept as NAME.ppm.
shows_title() {
    for _ in $(seq 25); do
        shot "$window" "$1" && is_title "$@" 2>"$TEST_TMP/why" && return 0
        sleep 0.2
    done
    cat "$TEST_TMP/why" >&2
    return 1
}

# start SIZE [OPTIONS]: the game with the options; its window of that size in $window.
start() {
    start_game "${@:2}"
    window=$(wait_for_window 10 "$1") || fail "${*:2}: no $1 window: $(xwininfo -root -children | grep '+0+0')"
}

"$GAME" --scale 9 2>"$TEST_TMP/usage" >/dev/null
[ $? -eq 2 ] && grep -qx "usage: driftwing .*" "$TEST_TMP/usage" && [ "$(wc -l <"$TEST_TMP/usage")" -eq 2 ] ||
    fail "an unknown option: not exit 2 with the reason and the usage line: $(cat "$TEST_TMP/usage")"
start_xvfb 1024x768x24 -br
xwininfo -root -children | grep -q ' [0-9]*x[0-9]*+' && fail "a window opened for an unknown option"

# Until the title, the window is black: the first picture that is not lasts as a title does.
"$XPROBE" watch 2 640x600 >"$TEST_TMP/watch.txt" &
watch=$!
start 640x600 --scale 2
wait "$watch"
awk 'lit != "" && next_at == "" { next_at = $1 } lit == "" && $3 > 0 { lit = $1 }
     END { exit !(lit != "" && (next_at == "" || next_at - lit >= 1000)) }' "$TEST_TMP/watch.txt" ||
    fail "a picture other than black before the title: $(cat "$TEST_TMP/watch.txt")"
shows_title scaled 2 0 0 || fail "--scale 2"
grep -q "scale = 2" "$SETTINGS" && grep -q "fullscreen = no" "$SETTINGS" || fail "settings: $(cat "$SETTINGS")"

hold_key "$window" F11
window=$(wait_for_window 5 1024x768) || fail "F11: no fullscreen window"
shows_title full 2 192 84 || fail "fullscreen"
xwininfo -id "$window" | grep -q 'Absolute upper-left X:  0' || fail "fullscreen is not at the corner"
grep -q "fullscreen = yes" "$SETTINGS" || fail "fullscreen is not remembered"
hold_key "$window" F11
window=$(wait_for_window 5 640x600) || fail "F11 again: no 640x600 window"

hold_key "$window" s
sleep 0.3
hold_key "$window" p
# Paused once two looks 0.2 s apart agree (a busy machine may show a frame or two more);
# then the picture must stay so for a whole second.
for _ in $(seq 25); do
    shot "$window" paused1
    sleep 0.2
    shot "$window" paused2
    cmp -s "$TEST_TMP/paused1.ppm" "$TEST_TMP/paused2.ppm" && break
done
sleep 1
shot "$window" paused2
cmp -s "$TEST_TMP/paused1.ppm" "$TEST_TMP/paused2.ppm" || fail "the picture moved while paused"
# What stays is the game's own last picture (hardly a black pixel in a game) around the
# black box with PAUSED, at scale 2.
python3 - "$TEST_TMP/paused2.ppm" "$HERE/../support" <<'EOF' || fail "the paused picture is not the game's"
import sys
sys.path.insert(0, sys.argv[2])
import pictures
around = [c for y, row in enumerate(pictures.ppm_picture(sys.argv[1])) for x, c in enumerate(row)
          if not (112 <= x // 2 <= 207 and 138 <= y // 2 <= 161)]
dark = sum(c == (0, 0, 0) for c in around) / len(around)
sys.exit("%.0f %% of the picture around PAUSED is black" % (100 * dark) if dark > 0.1 else 0)
EOF
hold_key "$window" p
sleep 0.5
shot "$window" resumed
cmp -s "$TEST_TMP/paused2.ppm" "$TEST_TMP/resumed.ppm" && fail "P again did not let the game go on"
quit_game "$window" 3

start 320x300 --scale 1
quit_game "$window" 3
start 320x300
quit_game "$window" 3
printf '\x00\xff[display\nscale = 99\n\x01fullscreen\n' >"$SETTINGS"
start 640x600
quit_game "$window" 3
echo "the window's display: ok"
