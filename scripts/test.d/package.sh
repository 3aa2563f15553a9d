#!/usr/bin/env bash
# package.sh -- the Debian package as a distribution's reviewer checks it: built from the
# tests' build, lintian without an error or a warning, the software-centre metadata and
# the desktop entry valid, the manual page rendering; then installed with apt-get, the
# game started from another folder with an argument it understands and quit, its page
# found by man, and the package removed with nothing of it left.
source "$(dirname "$0")/../lib.sh"
ensure_packages dpkg-dev file desktop-file-utils lintian appstream man-db xvfb xdotool x11-utils
source "$ROOT/tests/e2e/xvfb_lib.sh"
set +e
BUILD="${PACKAGE_BUILD_DIR:-$ROOT/build/test}"
configure_and_build "$BUILD" >/dev/null || fail "the build"
rm -f "$BUILD"/driftwing_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null) || fail "cpack"
deb=$(ls "$BUILD"/driftwing_*.deb)

lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>/dev/null || fail "lintian: $(lintian "$deb" 2>&1)"
appstreamcli validate --no-net "$ROOT/packaging/io.github.driftwing.Driftwing.metainfo.xml" >"$TEST_TMP/as" ||
    fail "the metainfo: $(cat "$TEST_TMP/as")"
desktop-file-validate "$ROOT/packaging/io.github.driftwing.Driftwing.desktop" || fail "the desktop entry"
[ -z "$(MANWIDTH=80 man --warnings -l "$ROOT/packaging/driftwing.6" 2>&1 >/dev/null)" ] || fail "the manual page"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'liballegro4\.4' <<<"$depends" && ! grep -q sndfile <<<"$depends" ||
    fail "Depends should name the Allegro runtime and not the sound-file library: $depends"

as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null || fail "apt-get install"
# A user's PATH has /usr/games (root's may not).
export PATH="$PATH:/usr/games"
[ "$(command -v driftwing)" = /usr/games/driftwing ] || fail "driftwing is not in /usr/games"
man -w driftwing | grep -q "/usr/share/man/man6/driftwing.6.gz" || fail "man does not find driftwing(6)"
start_xvfb 1024x768x24
mkdir -p "$TEST_TMP/game" "$TEST_TMP/home"  # a folder without the game's data/
GAME=driftwing
start_game --scale 1
window=$(wait_for_window) || fail "the installed game: no 320x300 window: $(cat "$TEST_TMP/err")"
quit_game "$window" 5

files=$(dpkg -L driftwing | while read -r f; do [ -f "$f" ] && echo "$f"; done)
as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q driftwing >/dev/null || fail "apt-get remove"
for f in $files; do [ ! -e "$f" ] || fail "$f is left after removing the package"; done
echo "package: ok"
