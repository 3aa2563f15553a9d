#!/usr/bin/env bash
# fuzz.sh -- builds the libFuzzer targets with clang in build/fuzz and runs each for a
# while (FUZZ_SECONDS, default 10) from a seed corpus. Any crash, leak, undefined
# behaviour, broken property or oversized allocation fails the stage; the input that
# caused it is left in build/fuzz/findings/. Every asset input found is then run again
# under valgrind, which sees writes inside the (uninstrumented) library's loaders.
source "$(dirname "$0")/../lib.sh"
ensure_packages clang libclang-rt-14-dev valgrind
SECONDS_EACH="${FUZZ_SECONDS:-10}"
FUZZ_SEED="${FUZZ_SEED:-1}"  # the same search in every CI run; 0 for a new one
BUILD="${FUZZ_BUILD:-$ROOT/build/fuzz}"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDRIFTWING_FUZZ=ON -DDRIFTWING_TESTS=OFF -DDRIFTWING_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_key_script fuzz_level_item fuzz_asset_file \
    run_asset_file_inputs

# Seeds: the scenario scripts, a few level items, small pictures and sounds of each kind.
seeds="$BUILD/seeds"
rm -rf "$seeds" "$BUILD/findings"
mkdir -p "$seeds/key_script" "$seeds/level_item" "$seeds/asset_file" "$BUILD/findings"
cp "$ROOT"/tests/scenarios/*.keys "$seeds/key_script/"
for item in 0 1 59 1014 "   12" 12abc abc "" -7 +8 99999999999 -99999999999; do
    printf '%s' "$item" >"$seeds/level_item/$(printf '%s' "$item" | md5sum | cut -c1-8)"
done
PYTHONPATH="$ROOT/tests/hardening" python3 -c '
import sys
from bad_data_test import bmp, wav, fmt, chunk
seeds = {"plain8.bmp": bmp(7, 5), "rle8.bmp": bmp(16, 16, coding=1), "os2.bmp": bmp(4, 4, info=12),
         "fields16.bmp": bmp(4, 4, bits=16, coding=3, masks=bytes(12)), "mono16.wav": wav(fmt(), chunk(b"data", bytes(40))),
         "stereo8.wav": wav(fmt(channels=2, bits=8), chunk(b"data", bytes(40)))}
for name, content in seeds.items():
    open(sys.argv[1] + "/" + name, "wb").write(content)' "$seeds/asset_file"

# The three search at once, each for its own time; the faults are gathered afterwards.
targets=(key_script level_item asset_file)
pids=()
for target in "${targets[@]}"; do
    mkdir -p "$BUILD/corpus/$target"
    echo "fuzzing $target for ${SECONDS_EACH}s"
    # A picture the check lets through may make the library allocate at most 16 million
    # pixels; twice that is a finding.
    "$BUILD/fuzz/fuzz_$target" "$BUILD/corpus/$target" "$seeds/$target" -max_total_time="$SECONDS_EACH" \
        -seed="$FUZZ_SEED" -malloc_limit_mb=64 -rss_limit_mb=1024 -max_len=4096 \
        -artifact_prefix="$BUILD/findings/$target-" >"$BUILD/$target.log" 2>&1 &
    pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    wait "${pids[$i]}" ||
        { echo "FAIL: fuzz_$target found a fault:" >&2; tail -n 40 "$BUILD/$target.log" >&2; failed=1; }
done
valgrind -q --error-exitcode=9 "$BUILD/fuzz/run_asset_file_inputs" "$BUILD/corpus/asset_file"/* \
    "$seeds/asset_file"/* >"$BUILD/valgrind.log" 2>&1 ||
    { echo "FAIL: the asset loaders touched memory they do not own:" >&2; head -n 40 "$BUILD/valgrind.log" >&2; failed=1; }
exit "$failed"
