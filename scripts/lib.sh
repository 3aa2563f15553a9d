# lib.sh -- shared by the scripts: Debian packages on demand, and the build
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get as root, waiting for another apt-get (a stage's install beside another) to let
# go of dpkg's lock rather than failing at once. As root it runs in a session of its own:
# a test run that ends (a failure, Ctrl+C) while a job beside installs lets the install
# finish, where ending it would leave dpkg half done. (Through sudo it stays at the
# terminal, where sudo may ask for a password.)
apt_get() {
    local run=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@")
    if [ "$(id -u)" -eq 0 ]; then setsid --wait "${run[@]}"; else sudo "${run[@]}"; fi
}

# Refreshes apt's package lists. A list that fails to download (a mirror caught mid-sync,
# as happens to the i386 security list that Wine's 32-bit half brings in) is reported
# and skipped: apt keeps using every list it did fetch.
apt_update() {
    apt_get update -q ||
        echo "apt-get update could not fetch every list; going on with the ones it has" >&2
}

# Installs whichever of the named Debian packages are missing; without root and without
# sudo, says which they are and stops.
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
        echo "Missing Debian packages: ${missing[*]}; install them as root (apt-get install ${missing[*]}) and run this again." >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt_update
    apt_get install -y -q --no-install-recommends "${missing[@]}"
}

# Packages listed one per line (comments with #) in a file under scripts/.
packages_from() {
    grep -v '^\s*#' "$ROOT/scripts/$1" | grep -v '^\s*$'
}

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$JOBS"
}

# build_configured DIR [TARGET...]: DIR brought up to date (those targets, or all), configured
# first only when it has not been: configuring again would rewrite its build files under a
# build that scripts/test runs in it beside.
build_configured() {
    local dir="$1"; shift
    [ -f "$dir/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    if [ $# -gt 0 ]; then cmake --build "$dir" -j "$JOBS" --target "$@"; else cmake --build "$dir" -j "$JOBS"; fi
}

# Whether Wine's 32-bit half runs here (a kernel without 32-bit programs, as in some
# virtual machines, refuses its loader).
wine32_runs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows build the Windows stage plays, made beside the earlier stages or by the stage:
# i686 where Wine's 32-bit half runs, unless DRIFTWING_WINE_BITS=64 asks for the other;
# x86_64, under 64-bit Wine, otherwise.
played_windows_arch() {
    if [ "${DRIFTWING_WINE_BITS:-}" != 64 ] && wine32_runs; then echo i686; else echo x86_64; fi
}

# Allegro 4.4's source, which the Windows and the browser builds compile themselves.
ALLEGRO_VERSION=4.4.3.1
ALLEGRO_TARBALL="allegro4.4_${ALLEGRO_VERSION}.orig.tar.gz"

# fetch_allegro_source DIR: Debian's source of Allegro 4.4 as DIR/$ALLEGRO_TARBALL, checked
# against the checksum its .dsc gives. Only the original tarball is needed (the Debian
# changes are not used). A tarball another build already fetched and checked is copied.
fetch_allegro_source() {
    local tarball="$1/$ALLEGRO_TARBALL"
    [ -s "$tarball" ] && return 0
    mkdir -p "$1"
    local other
    for other in "$ROOT"/build/*-allegro/src/"$ALLEGRO_TARBALL"; do
        [ -s "$other" ] || continue
        cp "$other" "$tarball.part" && mv "$tarball.part" "$tarball" && return 0
    done
    local tmp
    tmp="$(mktemp -d)"
    # The Debian changes file may be missing on the mirror: that failure is fine as
    # long as the original tarball and the .dsc arrive.
    echo "Fetching Allegro's source (only the .dsc and the original tarball are used)"
    (cd "$tmp" && apt-get source --download-only allegro4.4 2>&1 | grep -v '^W: ' | tail -n 3) || true
    if [ ! -s "$tmp/$ALLEGRO_TARBALL" ] &&
        ! grep -rqs "^Types:.*deb-src" /etc/apt/sources.list.d/ &&
        ! grep -qs "^deb-src .*bookworm" /etc/apt/sources.list; then
        # The source packages come from the same server as the machine's own packages.
        local mirror
        mirror=$(apt-cache policy | awk '$3 == "bookworm/main" && $NF == "Packages" { print $2; exit }')
        [ -n "$mirror" ] || { echo "apt knows no server for bookworm's packages" >&2; return 1; }
        echo "Adding bookworm's source packages from $mirror to apt"
        printf '%s\n' "Types: deb-src" "URIs: $mirror" \
            "Suites: bookworm" "Components: main" \
            "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
            as_root tee /etc/apt/sources.list.d/driftwing-src.sources >/dev/null
        apt_update
        (cd "$tmp" && apt-get source --download-only allegro4.4 2>&1 | grep -v '^W: ' | tail -n 3) || true
    fi
    local dsc
    dsc="$(ls "$tmp"/allegro4.4_*.dsc 2>/dev/null | head -n 1)"
    if [ -z "$dsc" ] || [ ! -s "$tmp/$ALLEGRO_TARBALL" ]; then
        echo "Could not fetch Allegro's source ($ALLEGRO_TARBALL)" >&2
        rm -rf "$tmp"
        return 1
    fi
    local want got
    want="$(awk -v f="$ALLEGRO_TARBALL" '/^Checksums-Sha256:/ {s = 1; next}
        /^[^ ]/ {s = 0} s && $3 == f {print $1}' "$dsc")"
    got="$(sha256sum "$tmp/$ALLEGRO_TARBALL" | cut -d' ' -f1)"
    if [ -z "$want" ] || [ "$want" != "$got" ]; then
        echo "Allegro's source does not match its .dsc checksum ($got, expected $want)" >&2
        rm -rf "$tmp"
        return 1
    fi
    mv "$tmp/$ALLEGRO_TARBALL" "$tarball"
    rm -rf "$tmp"
}

# generate_data HOST_DIR: DATA_DIR is the native asset generator's data/: the tests' build
# when there is one, otherwise a small host build of its own in HOST_DIR.
generate_data() {
    local host="$ROOT/build/test"
    if [ ! -f "$host/CMakeCache.txt" ]; then
        host="$1"
        [ -f "$host/CMakeCache.txt" ] ||
            cmake -S "$ROOT" -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                -DDRIFTWING_TESTS=OFF >/dev/null
    fi
    cmake --build "$host" --target assets -j "$JOBS" >/dev/null
    DATA_DIR="$host/data"
}
