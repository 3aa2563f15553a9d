#!/usr/bin/env bash
# display_refusal_test.sh -- the game started where it cannot get a window: a display
# number with no server behind it, a server that refuses the game's connection for want
# of an authorization cookie, and a display name that means nothing. Each time: exit 1
# with the game's one "cannot start" line, and no hang.
#
# usage: display_refusal_test.sh GAME DATA_DIR
set -uo pipefail
GAME="$(realpath "$1")"
DATA="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/../e2e/xvfb_lib.sh"
prepare_game "$DATA"

# expect_no_start WHAT DISPLAY [XAUTHORITY]
expect_no_start() {
    local what="$1" display="$2" auth="${3:-$GAME_HOME/.Xauthority}"
    (cd "$GAME_DIR" && exec env HOME="$GAME_HOME" DISPLAY="$display" XAUTHORITY="$auth" \
        timeout 30 "$GAME") >/dev/null 2>"$TEST_TMP/err"
    local status=$?
    [ "$status" -eq 1 ] || fail "$what: exit $status, expected 1: $(head -c 400 "$TEST_TMP/err")"
    # Xlib and the sound library may add lines of their own; the game says one thing.
    local own
    own=$(grep '^driftwing: ' "$TEST_TMP/err")
    [ "$(printf '%s\n' "$own" | wc -l)" -eq 1 ] && [[ "$own" == "driftwing: cannot start"* ]] ||
        fail "$what: expected one 'driftwing: cannot start' line, got: $(head -c 400 "$TEST_TMP/err")"
}

# A display number that no server answers on.
free=600
while [ -e "/tmp/.X11-unix/X$free" ] || [ -e "/tmp/.X$free-lock" ]; do free=$((free + 1)); done
expect_no_start "display :$free with no server" ":$free"

expect_no_start "a display name that means nothing" "no-such-host-or-display"

# A server that accepts only clients holding its cookie; the game holds none.
python3 - "$TEST_TMP/server.auth" <<'PY'
import os, struct, sys
def field(data):
    return struct.pack(">H", len(data)) + data
cookie = os.urandom(16)
record = (struct.pack(">H", 256) + field(os.uname().nodename.encode()) + field(b"") +
          field(b"MIT-MAGIC-COOKIE-1") + field(cookie))
with open(sys.argv[1], "wb") as f:
    f.write(record)
PY
exec {dfd}>"$TEST_TMP/displayfd"
Xvfb -displayfd "$dfd" -auth "$TEST_TMP/server.auth" -nolisten tcp -screen 0 640x480x24 \
    >"$TEST_TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$TEST_TMP/displayfd" ] && break
    sleep 0.05
done
exec {dfd}>&-
locked=":$(head -n1 "$TEST_TMP/displayfd")"
[ "$locked" != ":" ] || fail "Xvfb with a cookie did not start: $(cat "$TEST_TMP/xvfb.log")"
: >"$TEST_TMP/no_cookies"
expect_no_start "a server that refuses the connection" "$locked" "$TEST_TMP/no_cookies"

echo "displays that refuse the game: ok"
