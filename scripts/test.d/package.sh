#!/usr/bin/env bash
# package.sh -- the Debian package as a distribution's reviewer checks it: built from the
# tests' build, lintian without an error or a warning, the software-centre metadata and
# the desktop entry valid, both manual pages rendering; then installed with apt-get, the
# game started from another folder with an argument it understands and quit, the replay
# runner drawing a frame there, both on PATH and their pages found by man, and the package
# removed with nothing of it left.
source "$(dirname "$0")/../lib.sh"
ensure_packages dpkg-dev file desktop-file-utils lintian appstream man-db xvfb xdotool x11-utils
set +e
fail() { echo "FAIL: $*" >&2; exit 1; }
BUILD="${PACKAGE_BUILD_DIR:-$ROOT/build/test}"
build_configured "$BUILD" >/dev/null || fail "the build"
rm -f "$BUILD"/driftwing_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null) || fail "cpack"
deb=$(ls "$BUILD"/driftwing_*.deb)

lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>/dev/null || fail "lintian: $(lintian "$deb" 2>&1)"
said=$(appstreamcli validate --no-net "$ROOT/packaging/io.github.driftwing.Driftwing.metainfo.xml") ||
    fail "the metainfo: $said"
desktop-file-validate "$ROOT/packaging/io.github.driftwing.Driftwing.desktop" || fail "the desktop entry"
for page in driftwing driftwing-replay; do
    [ -z "$(MANWIDTH=80 man --warnings -l "$ROOT/packaging/$page.6" 2>&1 >/dev/null)" ] || fail "the manual page $page.6"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'liballegro4\.4' <<<"$depends" && ! grep -q sndfile <<<"$depends" ||
    fail "Depends should name the Allegro runtime and not the sound-file library: $depends"

apt_get install -y -q "$deb" >/dev/null || fail "apt-get install"
# A user's PATH has /usr/games (root's may not).
export PATH="$PATH:/usr/games"
for program in driftwing driftwing-replay; do
    [ "$(command -v $program)" = /usr/games/$program ] || fail "$program is not in /usr/games"
    [ "$(man -w $program)" = /usr/share/man/man6/$program.6.gz ] || fail "man does not find $program(6)"
done
python3 "$ROOT/tests/install/install_test.py" --installed || fail "the installed programs"

files=$(dpkg -L driftwing | while read -r f; do [ -f "$f" ] && echo "$f"; done)
apt_get remove -y -q driftwing >/dev/null || fail "apt-get remove"
for f in $files; do [ ! -e "$f" ] || fail "$f is left after removing the package"; done
echo "package: ok"
