#!/usr/bin/env bash
# web.sh -- the game as a web page, built by scripts/web and tested in headless Chromium
# (tests/web/): its title pictures, its recordings saved, linked and watched, each checked by
# the native replay runner; the scale, keys, pause, sound and bad input.
source "$(dirname "$0")/../lib.sh"
started=$SECONDS
bash "$ROOT/scripts/web"
build_configured "$ROOT/build/test" driftwing-replay assets >/dev/null
node "$ROOT/tests/web/page_test.js" "$ROOT/build/web/site" \
    "$ROOT/build/test/tools/replay/driftwing-replay" "$ROOT/build/test"
echo "web stage: passed in $((SECONDS - started)) s"
