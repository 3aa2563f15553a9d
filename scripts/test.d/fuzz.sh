#!/usr/bin/env bash
# fuzz.sh -- builds the libFuzzer targets with clang in build/fuzz and runs each for a
# while (FUZZ_SECONDS, default 60) from a seed corpus. Any crash, leak, undefined
# behaviour, broken property or oversized allocation fails the stage; the input that
# caused it is left in build/fuzz/findings/.
source "$(dirname "$0")/../lib.sh"
ensure_packages clang libclang-rt-14-dev sox valgrind
SECONDS_EACH="${FUZZ_SECONDS:-60}"
# A fixed seed makes a CI run repeat the same search; set FUZZ_SEED=0 for a new one each run.
FUZZ_SEED="${FUZZ_SEED:-1}"
BUILD="${FUZZ_BUILD:-$ROOT/build/fuzz}"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDRIFTWING_FUZZ=ON -DDRIFTWING_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_key_script fuzz_level_item fuzz_asset_file \
    run_asset_file_inputs

# Seeds: the scenario scripts, a few level items, and small pictures and sounds of each
# kind the game reads.
seeds="$BUILD/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/key_script" "$seeds/level_item" "$seeds/asset_file"
cp "$ROOT"/tests/scenarios/*.keys "$seeds/key_script/"
n=0
for item in 0 1 59 1014 "   12" 12abc abc "" -7 +8 2147483647 -2147483648 99999999999 \
            -99999999999 "  -0" "+-3"; do
    printf '%s' "$item" >"$seeds/level_item/item$n"
    n=$((n + 1))
done
python3 "$ROOT/tests/hardening/make_test_file.py" plain 7 5 "$seeds/asset_file/plain8.bmp"
python3 "$ROOT/tests/hardening/make_test_file.py" claim 16 16 1 8 "$seeds/asset_file/rle8.bmp"
python3 "$ROOT/tests/hardening/make_test_file.py" claim 16 16 2 4 "$seeds/asset_file/rle4.bmp"
python3 "$ROOT/tests/hardening/make_test_file.py" claim 4 4 3 16 "$seeds/asset_file/fields16.bmp"
sox -q -n -r 8000 -b 16 -c 1 "$seeds/asset_file/mono16.wav" synth 0.005 sine 440
sox -q -n -r 8000 -b 8 -c 2 "$seeds/asset_file/stereo8.wav" synth 0.005 sine 440

findings="$BUILD/findings"
mkdir -p "$findings"
failed=0
for target in key_script level_item asset_file; do
    corpus="$BUILD/corpus/$target"
    mkdir -p "$corpus"
    echo "fuzzing $target for ${SECONDS_EACH}s"
    # A picture the check lets through may make the library allocate at most 16 million
    # pixels; twice that is a finding.
    if ! "$BUILD/fuzz/fuzz_$target" "$corpus" "$seeds/$target" -max_total_time="$SECONDS_EACH" -seed="$FUZZ_SEED" \
        -malloc_limit_mb=64 -rss_limit_mb=1024 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" >"$BUILD/$target.log" 2>&1; then
        echo "FAIL: fuzz_$target found a fault:" >&2
        tail -n 40 "$BUILD/$target.log" >&2
        failed=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$BUILD/$target.log" |
        sed "s/^/  $target /" || true
done

# The library's loaders are not instrumented, so a write past a picture inside them
# goes unseen by the sanitizers: every asset input found is run again under valgrind.
echo "checking the asset corpus under valgrind"
if ! valgrind -q --error-exitcode=9 "$BUILD/fuzz/run_asset_file_inputs" \
    "$BUILD/corpus/asset_file"/* "$seeds/asset_file"/* >"$BUILD/valgrind.log" 2>&1; then
    echo "FAIL: the asset loaders touched memory they do not own:" >&2
    head -n 40 "$BUILD/valgrind.log" >&2
    failed=1
fi
exit "$failed"
