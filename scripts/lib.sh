# lib.sh -- shared by the scripts: Debian packages on demand, and the build
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Refreshes apt's package lists. A list that fails to download (a mirror caught mid-sync,
# as happens to the i386 security list that Wine's 32-bit half brings in) is reported
# and skipped: apt keeps using every list it did fetch.
apt_update() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q ||
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
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
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
