#!/usr/bin/env python3
# failures_test.py -- the game under hostile conditions, one table row a case: signals, a
# lost display, full disks, files that exist, vanish or are not files at all, damaged
# recordings and settings, a command line spelt wrong. Every row checks the exit code,
# what standard error says, that the program ended in time, and the files left behind.
# The tables are in failure_rows/*.py, one file an area; the machinery in failures_lib.py.
#
#   failures_test.py GAME REPLAY DATA_DIR XPROBE [TABLE,...:][NAME_PART]
#
# TABLE,...: only those tables (ctest runs them in three parts, side by side); a name part
# with a colon in it then follows an empty list of tables.
import glob
import importlib
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from failures_lib import Xvfb, run_row, sanitizer_build  # noqa: E402


def tables():
    for path in sorted(glob.glob(os.path.join(HERE, "failure_rows", "*.py"))):
        table = os.path.basename(path)[:-3]
        for row in importlib.import_module("failure_rows." + table).ROWS:
            yield table, row


def main(game, replay, data, xprobe, only=""):
    chosen, _, only = only.partition(":") if ":" in only else ("", "", only)
    chosen = set(chosen.split(",")) - {""}
    paths = tuple(os.path.realpath(p) for p in (game, replay, data, xprobe))
    shared = Xvfb()
    failed = ran = skipped = 0
    sanitized = sanitizer_build(paths[0])
    try:
        for table, row in tables():
            if only not in row.name or (chosen and table not in chosen):
                continue
            if sanitized and not row.sanitized:
                skipped += 1
                continue
            ran += 1
            problem = run_row(row, paths, shared.display)
            if problem:
                failed += 1
                print("FAIL %s: %s: %s" % (table, row.name, problem), file=sys.stderr)
    finally:
        shared.stop()
    print("%d passed, %d failed, %d skipped" % (ran - failed, failed, skipped))
    return failed == 0 and ran > 0


if __name__ == "__main__":
    sys.exit(0 if main(*sys.argv[1:6]) else 1)
