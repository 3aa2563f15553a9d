#!/usr/bin/env bash
# package.sh -- the Debian package: built from the tests' build, checked for what it needs
# and holds, installed with apt-get, found on PATH with every library it links, removed
# again with nothing of it left.
source "$(dirname "$0")/../lib.sh"
ensure_packages dpkg-dev file desktop-file-utils
BUILD="${PACKAGE_BUILD_DIR:-$ROOT/build/test}"
configure_and_build "$BUILD" >/dev/null
rm -f "$BUILD"/driftwing_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD"/driftwing_*.deb)
fail() { echo "FAIL: $*" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'liballegro4\.4' <<<"$depends" && ! grep -q sndfile <<<"$depends" ||
    fail "Depends should name the Allegro runtime and not the sound-file library: $depends"
files=$(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | grep -v '/$')
for f in /usr/bin/driftwing /usr/share/games/driftwing/driftwing /usr/share/applications/driftwing.desktop \
         /usr/share/icons/hicolor/64x64/apps/driftwing.png /usr/share/games/driftwing/data/{main,back,main2}.bmp \
         /usr/share/games/driftwing/data/{effect,fall,gmsong}.wav; do
    grep -qx "$f" <<<"$files" || fail "the package lacks $f"
done

as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
[ "$(command -v driftwing)" = /usr/bin/driftwing ] || fail "driftwing is not on PATH"
desktop-file-validate /usr/share/applications/driftwing.desktop || fail "the desktop entry"
! ldd /usr/share/games/driftwing/driftwing | grep 'not found' || fail "libraries not found"
as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q driftwing >/dev/null
for f in $files; do [ ! -e "$f" ] || fail "$f is left after removing the package"; done
echo "package: ok"
