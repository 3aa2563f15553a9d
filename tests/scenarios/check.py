#!/usr/bin/env python3
# check.py -- replays a key script through driftwing-replay and checks the expectations
# written into the script itself, as comment lines:
#
#   #@ N KEY VALUE...   frame N's trace line has KEY = VALUE (JSON); further values are
#                       for frames N+1, N+2, ... KEY may reach into arrays: divers/46/6
#                       is field 6 (state) of diver 46
#   #@ A..B KEY VALUE   KEY = VALUE in every frame from A to B
#   #@ N title F        frame N's picture is title frame F (0: a blank frame of the
#                       blink) with the score line, checked against the data files
#   #@ N trace HEX      the digest of the whole trace up to frame N: the same game,
#                       every field and picture of every frame
#   #@ last N           the run ends with frame N
#
#   check.py REPLAY BUILD_DIR SCRIPT.keys      (BUILD_DIR holds data/)
import hashlib
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import pictures  # noqa: E402


def field(line, key):
    for part in key.split("/"):
        line = line[int(part)] if isinstance(line, list) else line.get(part)
    return line


def check(replay, build, script):
    wants = [(n, line.split()[1:]) for n, line in enumerate(open(script), 1) if line.startswith("#@")]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        shots = [w[0] for _, w in wants if w[1] == "title"]
        args = [replay, "--data", build, "--trace", "-"]
        for n in shots:
            args += ["--shot", "%s:%s/%s.bmp" % (n, tmp, n)]
        run = subprocess.run(args + [script], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if run.returncode != 0 or run.stderr:
            problems.append("the runner ended with %d: %s" % (run.returncode, run.stderr.decode()))
        lines = run.stdout.splitlines(keepends=True)
        parsed = {}

        def frame(n):
            if n not in parsed:
                parsed[n] = json.loads(lines[n]) if n < len(lines) else None
            return parsed[n]

        for number, (where, kind, *values) in wants:
            at = "%s:%d: " % (os.path.basename(script), number)
            if where == "last":
                if len(lines) - 1 != int(kind):
                    problems.append(at + "the run ended with frame %d" % (len(lines) - 1))
                continue
            first, _, last = where.partition("..")
            frames = range(int(first), int(last or int(first) + len(values) - 1) + 1)
            if kind == "title":
                path = "%s/%s.bmp" % (tmp, where)
                shot = pictures.bmp_picture(path, build + "/data") if os.path.exists(path) else []
                for p in pictures.title_problems(shot, build + "/data", int(values[0])) if shot else ["no picture"]:
                    problems.append(at + "frame %s: %s" % (where, p))
            elif kind == "trace":
                digest = hashlib.sha256(b"".join(lines[:int(where) + 1])).hexdigest()[:16]
                if digest != values[0]:
                    problems.append(at + "the trace up to frame %s differs (digest %s)" % (where, digest))
            else:
                for i, n in enumerate(frames):
                    expected = json.loads(values[min(i, len(values) - 1)])
                    got = field(frame(n), kind) if frame(n) else "no such frame"
                    if got != expected:
                        problems.append(at + "frame %d: %s is %s, expected %s" % (n, kind, json.dumps(got), json.dumps(expected)))
                        break
    return problems


if __name__ == "__main__":
    found = check(*sys.argv[1:4])
    for problem in found:
        print("FAIL " + problem, file=sys.stderr)
    sys.exit(1 if found else 0)
