#!/usr/bin/env bash
# web.sh -- the web page built by scripts/web, tested in headless Chromium (tests/web/): its
# title frame against the native replay runner's picture of it, the scale, keys, downloads,
# links, dropped files, sound and bad input.
source "$(dirname "$0")/../lib.sh"
started=$SECONDS
bash "$ROOT/scripts/web"
[ -f "$ROOT/build/test/CMakeCache.txt" ] ||
    cmake -S "$ROOT" -B "$ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build/test" --target driftwing-replay assets -j "$JOBS" >/dev/null
node "$ROOT/tests/web/page_test.js" "$ROOT/build/web/site" \
    "$ROOT/build/test/tools/replay/driftwing-replay" "$ROOT/build/test"
echo "web stage: passed in $((SECONDS - started)) s"
