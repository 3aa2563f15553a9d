# xvfb_lib.sh -- a private X server for a whole-program test, stopped when the test ends
#
# Source it, then call start_xvfb; DISPLAY is set and everything is cleaned up on exit.

XVFB_PID=""
TEST_TMP="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-e2e.XXXXXX")"
CHILD_PIDS=()

cleanup_e2e() {
    for p in "${CHILD_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$TEST_TMP"
}
trap cleanup_e2e EXIT

# Starts Xvfb on a free display number and waits until it answers.
start_xvfb() {
    local fd="$TEST_TMP/displayfd"
    exec {dfd}>"$fd"
    Xvfb -displayfd "$dfd" -screen 0 640x480x24 -nolisten tcp >"$TEST_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd" ] && break
        sleep 0.05
    done
    exec {dfd}>&-
    export DISPLAY=":$(head -n1 "$fd")"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "Xvfb did not start" >&2
    return 1
}

# Prints the id of the game's 320 x 300 window once it is mapped (waits up to 10 s).
wait_for_game_window() {
    for _ in $(seq 200); do
        local w
        w=$(xwininfo -root -children 2>/dev/null | awk '/320x300/ {print $1; exit}')
        if [ -n "$w" ] && xwininfo -id "$w" 2>/dev/null | grep -q "IsViewable"; then
            echo "$w"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Holds a key long enough for the game to see it in at least one frame.
hold_key() {
    local window="$1" keyname="$2" seconds="${3:-0.2}"
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool keydown "$keyname"
    sleep "$seconds"
    xdotool keyup "$keyname"
}

# wait_for_exit PID SECONDS: the process's exit status, or 124 if it is still running.
wait_for_exit() {
    local pid="$1" limit="$2"
    local steps=$((limit * 20))
    for _ in $(seq "$steps"); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            return $?
        fi
        sleep 0.05
    done
    return 124
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# prepare_game DATA_DIR: a working folder with a copy of the game's data in
# $GAME_DIR, and an empty home folder in $GAME_HOME so that no sound or library
# settings of the machine's user reach the game.
prepare_game() {
    GAME_DIR="$TEST_TMP/game"
    GAME_HOME="$TEST_TMP/home"
    mkdir -p "$GAME_DIR" "$GAME_HOME"
    rm -rf "$GAME_DIR/data"
    cp -r "$1" "$GAME_DIR/data"
}

# start_game GAME: runs the game in $GAME_DIR with $GAME_HOME as its home; its
# process id is in $GAME_PID and its standard error in $TEST_TMP/game.err.
start_game() {
    local program
    program="$(realpath "$1")"
    (cd "$GAME_DIR" && exec env HOME="$GAME_HOME" "$program") >/dev/null 2>"$TEST_TMP/game.err" &
    GAME_PID=$!
    CHILD_PIDS+=("$GAME_PID")
}

# press_and_wait_for_exit WINDOW KEY SECONDS: holds the key down until the game has
# ended or the time is up; the game's exit status, or 124 if it is still running.
press_and_wait_for_exit() {
    local window="$1" keyname="$2" seconds="$3"
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool keydown "$keyname"
    wait_for_exit "$GAME_PID" "$seconds"
    local status=$?
    xdotool keyup "$keyname" 2>/dev/null || true
    return "$status"
}

# use_alsa KIND [FILE]: the sound set-up the game finds in $GAME_HOME.
#   capture FILE  records everything the game plays into a 16-bit stereo WAV file
#   null          a device that takes the sound and plays nothing
#   missing       a sound card that does not exist
use_alsa() {
    case "$1" in
        capture)
            printf '%s\n' \
                'pcm.!default { type plug; slave { pcm "capture"; format S16_LE; } }' \
                "pcm.capture { type file; slave.pcm \"null\"; file \"$2\"; format \"wav\" }" \
                >"$GAME_HOME/.asoundrc" ;;
        null) printf 'pcm.!default { type null }\n' >"$GAME_HOME/.asoundrc" ;;
        missing) printf 'pcm.!default { type hw; card 9 }\n' >"$GAME_HOME/.asoundrc" ;;
        *) fail "use_alsa: unknown kind $1" ;;
    esac
}
