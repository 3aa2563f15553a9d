#!/usr/bin/env bash
# video_speed.sh -- video frames a second of driftwing-replay --video, for MP4, WebM and GIF
#
# Usage: bench/video_speed.sh [BUILD_FOLDER] [SCALE] [SCRIPT]
#   BUILD_FOLDER holds tools/replay/driftwing-replay and data/ (default: build)
#   SCALE is --scale (default: 2)
#   SCRIPT is the recording to encode (default: bench/scripts/whole_game.keys three times
#   over, a whole game to the level end and two more started from the title: 61.7 s)
#
# Each format is made once into a folder under /tmp; the time covers the whole job: the
# checking pass, the sound mix and the encoding. A GIF holds every second game frame, so
# its video frames are half the game's; both counts are shown. Needs ffmpeg.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build=${1:-build}
scale=${2:-2}
script=${3:-}
runner="$build/tools/replay/driftwing-replay"
[ -x "$runner" ] || { echo "no runner at $runner (build the driftwing-replay target)" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "no ffmpeg (apt-get install ffmpeg)" >&2; exit 2; }

work=$(mktemp -d /tmp/driftwing-video-speed.XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ -z "$script" ]; then
    script="$work/three_games.keys"
    cat "$here/scripts/whole_game.keys" "$here/scripts/whole_game.keys" \
        "$here/scripts/whole_game.keys" > "$script"
fi

printf '%-6s %11s %12s %9s %9s %14s %9s\n' format game-frames video-frames wall-s cpu-s video-frames/s size-MB
for format in mp4 webm gif; do
    out="$work/game.$format"
    TIMEFORMAT='%R %U %S'
    t=$( { time "$runner" --data "$build" --video "$out" --scale "$scale" "$script" 2>/dev/null; } 2>&1 )
    read -r wall user sys <<< "$t"
    frames=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets \
             -of csv=p=0 "$out")
    game=$([ "$format" = gif ] && echo "$((frames * 2))" || echo "$frames")
    awk -v f="$format" -v g="$game" -v n="$frames" -v w="$wall" -v u="$user" -v s="$sys" \
        -v b="$(stat -c %s "$out")" \
        'BEGIN { printf "%-6s %11s %12d %9.2f %9.2f %14.1f %9.1f\n", f, "~" g, n, w, u + s, n / w, b / 1048576 }'
    rm -f "$out"
done
echo "scale $scale, $(nproc) cores, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
