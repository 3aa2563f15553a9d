#!/usr/bin/env bash
# replay_speed.sh -- frames per second of driftwing-replay, with and without a trace
#
# Usage: bench/replay_speed.sh [BUILD_FOLDER] [FRAMES]
#   BUILD_FOLDER holds tools/replay/driftwing-replay and data/ (default: build)
#   FRAMES is the length of each key script (default: 100000)
#
# Two scripts: the title screen left alone, and games played back to back (S and
# Space held all the time, steering left and right, so each game that ends is
# followed at once by the next). Each runs without --trace and with --trace into a
# file under /tmp; of three runs, the one with the least cpu time is reported.
set -euo pipefail

build=${1:-build}
frames=${2:-100000}
runner="$build/tools/replay/driftwing-replay"
[ -x "$runner" ] || { echo "no runner at $runner (build the driftwing-replay target)" >&2; exit 2; }

work=$(mktemp -d /tmp/driftwing-replay-speed.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "$frames -" > "$work/idle_title.keys"
{
    echo "# games back to back: S restarts at once whenever a game ends"
    left=$frames
    while [ "$left" -gt 0 ]; do
        n=$((left < 40 ? left : 40))
        echo "$n S+SPACE+LEFT"
        left=$((left - n))
        [ "$left" -gt 0 ] || break
        n=$((left < 40 ? left : 40))
        echo "$n S+SPACE+RIGHT"
        left=$((left - n))
    done
} > "$work/games.keys"

# "wall cpu" seconds of one run of the runner with the given arguments; cpu is user +
# system time, which stays meaningful on a machine busy with other work.
times_of() {
    local TIMEFORMAT='%R %U %S' t
    t=$( { time "$runner" --data "$build" "$@" > /dev/null; } 2>&1 )
    echo "$t" | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

# The run with the least cpu time out of three.
best_of_three() {
    local best="" bestcpu="" t cpu
    for _ in 1 2 3; do
        t=$(times_of "$@")
        cpu=${t#* }
        if [ -z "$best" ] || awk -v a="$cpu" -v b="$bestcpu" 'BEGIN { exit !(a < b) }'; then
            best=$t
            bestcpu=$cpu
        fi
    done
    echo "$best"
}

printf '%-11s %-6s %9s %9s %12s %12s %10s\n' script trace wall-s cpu-s frames/s-wall frames/s-cpu trace-MB
for script in idle_title games; do
    for traced in no yes; do
        args=()
        trace_mb="-"
        if [ "$traced" = yes ]; then args=(--trace "$work/trace.jsonl"); fi
        read -r wall cpu < <(best_of_three "${args[@]}" "$work/$script.keys")
        if [ "$traced" = yes ]; then
            trace_mb=$(awk -v b="$(stat -c %s "$work/trace.jsonl")" 'BEGIN { printf "%.1f", b / 1048576 }')
            rm -f "$work/trace.jsonl"
        fi
        fps_wall=$(awk -v n="$frames" -v t="$wall" 'BEGIN { printf "%d", (n + 1) / t }')
        fps_cpu=$(awk -v n="$frames" -v t="$cpu" 'BEGIN { printf "%d", (n + 1) / t }')
        printf '%-11s %-6s %9s %9s %12s %12s %10s\n' "$script" "$traced" "$wall" "$cpu" \
            "$fps_wall" "$fps_cpu" "$trace_mb"
    done
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
