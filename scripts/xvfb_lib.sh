# xvfb_lib.sh -- a private X server for the benchmarks, the documentation's screenshots and
# the Windows stage, and ways to drive the game in it; everything started here is stopped
# when the script ends. Source it. (The tests have their own, in tests/e2e/failures_lib.py.)

TEST_TMP="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-x.XXXXXX")"
cleanup_x() {
    kill $(jobs -p) 2>/dev/null
    sleep 0.2
    kill -9 $(jobs -p) 2>/dev/null  # a game stuck in its shutdown once its display went
    wait 2>/dev/null
    rm -rf "$TEST_TMP"
}
trap cleanup_x EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# game_folder GAME DATA_DIR: $GAME and $DATA as absolute paths, a folder $TEST_TMP/game
# for the game to start in with DATA_DIR linked in as its data/, and an empty home.
game_folder() {
    GAME="$(realpath "$1")"
    DATA="$(realpath "$2")"
    mkdir -p "$TEST_TMP/game" "$TEST_TMP/home"
    ln -s "$DATA" "$TEST_TMP/game/data"
}

# start_game [OPTIONS]: $GAME with the options in that folder and home; its process in
# $GAME_PID, its standard error in $TEST_TMP/err.
start_game() {
    (cd "$TEST_TMP/game" && HOME="$TEST_TMP/home" exec "$GAME" "$@") >/dev/null 2>"$TEST_TMP/err" &
    GAME_PID=$!
}

# start_xvfb [SCREEN [OPTIONS]]: Xvfb on a free display (default screen 640x480x24); sets DISPLAY.
# -noreset: by default the server starts afresh whenever its last client leaves, and a
# game connecting just then (while xwininfo polls for its window) is turned away.
start_xvfb() {
    exec {dfd}>"$TEST_TMP/display"
    Xvfb -displayfd "$dfd" -screen 0 "${1:-640x480x24}" "${@:2}" -noreset -nolisten tcp >"$TEST_TMP/xvfb.log" 2>&1 &
    exec {dfd}>&-
    for _ in $(seq 200); do
        [ -s "$TEST_TMP/display" ] && export DISPLAY=":$(head -n 1 "$TEST_TMP/display")" &&
            xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    fail "Xvfb did not start"
}

# wait_for_window [SECONDS] [SIZE]: prints the id of the mapped game window (320x300).
wait_for_window() {
    local w
    for _ in $(seq $((${1:-10} * 20))); do
        w=$(xwininfo -root -children 2>/dev/null | awk -v s=" ${2:-320x300}+" 'index($0, s) {print $1; exit}')
        [ -n "$w" ] && xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && echo "$w" && return 0
        sleep 0.05
    done
    return 1
}

# hold_key WINDOW KEY [SECONDS]: long enough for the game to see it in a frame.
hold_key() {
    xdotool windowfocus "$1" 2>/dev/null
    xdotool keydown "$2"
    sleep "${3:-0.2}"
    xdotool keyup "$2"
}

# quit_game WINDOW SECONDS: Escape in the game's window; it must end with 0 within SECONDS.
quit_game() {
    hold_key "$1" Escape
    wait_for_exit "$GAME_PID" "$2" ||
        fail "$GAME: exit $? after Escape, expected 0 within $2 s: $(cat "$TEST_TMP/err")"
}

# wait_for_exit PID SECONDS: the process's exit status, or 124 while it still runs.
wait_for_exit() {
    for _ in $(seq $(($2 * 20))); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
        sleep 0.05
    done
    return 124
}

# use_alsa HOME null: the game in HOME finds a sound device that plays nothing.
use_alsa() {
    echo 'pcm.!default { type null }' >"$1/.asoundrc"
}
