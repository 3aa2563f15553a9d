#!/usr/bin/env python3
# runner_test.py -- driftwing-replay's command line, scripts and outputs, one table row each:
# the arguments, the script on standard input, the exit status and what standard error
# must hold; a run that plays also checks its trace and picture.
#
#   runner_test.py REPLAY BUILD_DIR
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import pictures  # noqa: E402

tmp = tempfile.mkdtemp()
ROWS = [
    (["--frames", "-"], "", 2, "unknown option '--frames'"),
    (["--trace"], "", 2, "option --trace needs a value"),
    ([], "", 2, "no script given"),
    (["a.keys", "b.keys"], "", 2, "more than one script given: 'b.keys'"),
    (["--shot", "x:a.bmp", "-"], "", 2, "--shot takes N:FILE with a frame number N, not 'x:a.bmp'"),
    (["--shot", "5:/nowhere/a.bmp", "-"], "", 2, "cannot write the picture /nowhere/a.bmp"),
    (["/nowhere.keys"], "", 2, "cannot read the script /nowhere.keys"),
    (["--data", "/nowhere", "-"], "1 -\n", 2, "cannot use the folder /nowhere"),
    (["--data", "/dev/null", "-"], "1 -\n", 2, "cannot use the folder /dev/null: Not a directory"),
    (["--data", tmp, "-"], "1 -\n", 1, "driftwing: cannot load %s/data/main.bmp" % tmp),
    (["-"], "1 S\n0 -\n", 2, "-: line 2:"),
    (["-"], "# a comment\n\n1 JUMP\n", 2, "-: line 3:"),
    (["-"], "1 S+\n", 2, "-: line 1:"),
    (["-"], "1 S+S\n", 0, ""),
    (["-"], "x S\n", 2, "-: line 1:"),
    (["-"], "# nothing but comments\n", 0, ""),
    (["--shot", "9:%s/late.bmp" % tmp, "-"], "3 -\n", 0, "note: frame 9 was never reached"),
    (["--trace", "-", "--shot", "2:%s/2.bmp" % tmp, "-"], "2 LEFT+S\n1 ESC+SPACE\n9 -\n", 0, ""),
]


def fnv1a(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = (h ^ b) * 0x100000001B3 & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def main(replay, build):
    failures = []
    for args, script, status, says in ROWS:
        run = subprocess.run([replay] + args, input=script.encode(), stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, cwd=build)
        error = run.stderr.decode()
        if run.returncode != status or says not in error or (not says and error):
            failures.append("%s %r: exit %d, %r" % (args, script, run.returncode, error))
    # The traced run: frames 0 to 3, Escape seen in frame 3, and frame 2's picture both
    # written and hashed in the trace (FNV-1a over its rows, top first).
    lines = [json.loads(line) for line in run.stdout.splitlines()]
    rows = pictures.read_bmp(tmp + "/2.bmp")[2]
    if [line["frame"] for line in lines] != [0, 1, 2, 3] or lines[3].get("quit") is not True or \
            "quit" in lines[2] or lines[2]["pixels"] != fnv1a(b"".join(rows)) or lines[2]["gameMode"] != 2:
        failures.append("the trace of %s: %s" % (ROWS[-1][0], [(l["frame"], l.get("quit"), l["pixels"]) for l in lines]))
    for failure in failures:
        print("FAIL " + failure, file=sys.stderr)
    return not failures


if __name__ == "__main__":
    sys.exit(0 if main(*sys.argv[1:3]) else 1)
