#!/usr/bin/env bash
# package.sh -- the Debian package: build it, check what it holds and needs, install it
# with apt-get, find the game on PATH, remove it and check that nothing of it is left.
source "$(dirname "$0")/../lib.sh"
ensure_packages dpkg-dev file desktop-file-utils

BUILD="${PACKAGE_BUILD_DIR:-$ROOT/build/test}"  # the tests' build, already built by scripts/test
configure_and_build "$BUILD"
rm -f "$BUILD"/driftwing_*.deb
(cd "$BUILD" && cpack -G DEB)
deb=$(ls "$BUILD"/driftwing_*.deb)
WORK="$(mktemp -d "${TMPDIR:-/tmp}/driftwing-package.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# What it needs: the Allegro 4 runtime; the sound-file library only builds the assets.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'liballegro4\.4' <<<"$depends" || fail "Depends lacks liballegro4.4"
grep -q 'sndfile' <<<"$depends" && fail "Depends names libsndfile, which only the build uses"
[ "$(dpkg-deb -f "$deb" Package)" = driftwing ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"

# What it holds.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' | grep -v '/$' | sort >"$WORK/files"
cat "$WORK/files"
expected=(/usr/bin/driftwing /usr/share/games/driftwing/driftwing
          /usr/share/applications/driftwing.desktop
          /usr/share/icons/hicolor/64x64/apps/driftwing.png)
for f in main.bmp back.bmp main2.bmp effect.wav fall.wav gmsong.wav; do
    expected+=("/usr/share/games/driftwing/data/$f")
done
for f in "${expected[@]}"; do
    grep -qx "$f" "$WORK/files" || fail "the package lacks $f"
done
unexpected=$(grep -v -e '^/usr/bin/driftwing$' -e '^/usr/share/games/driftwing/' \
                     -e '^/usr/share/applications/' -e '^/usr/share/icons/' "$WORK/files" || true)
[ -z "$unexpected" ] || fail "files outside the game's places: $unexpected"

dpkg-deb -x "$deb" "$WORK/tree"
desktop-file-validate "$WORK/tree/usr/share/applications/driftwing.desktop" ||
    fail "the desktop entry does not validate"

# Install, find it on PATH with everything it links to, remove, check it is gone.
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"
[ "$(command -v driftwing)" = /usr/bin/driftwing ] || fail "driftwing is not on PATH"
missing=$(ldd /usr/share/games/driftwing/driftwing | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries not found: $missing"
as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q driftwing
if dpkg -L driftwing >/dev/null 2>&1; then fail "dpkg still lists files of driftwing"; fi
while read -r f; do
    [ ! -e "$f" ] || fail "$f is left after removing the package"
done <"$WORK/files"
[ ! -e /usr/share/games/driftwing ] || fail "/usr/share/games/driftwing is left"
echo "package: ok"
