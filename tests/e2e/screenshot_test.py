# screenshot_test.py -- F12 in the real window: the PNG it writes holds the window's pixels
# exactly, at the window's scale (in fullscreen the frame without its borders), on the
# title, while paused and watching a recording; a second one takes a new name; a pictures
# folder that cannot be made, or a write cut short, costs one line, leaves no file, and the
# game plays on.
#
#   screenshot_test.py GAME DATA_DIR XPROBE
import collections
import os
import re
import resource
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from failures_lib import run_table  # noqa: E402

SCREEN = (1024, 768)  # fullscreen there is the frame at scale 2, centred
STAMP = r"driftwing-\d{8}-\d{6}"


# A case: args, the command line; pictures, XDG_PICTURES_DIR ({tmp}: the row's folder; None:
# unset); keys, tapped before F12; shots, the F12s; folder, where the pictures go; scale,
# theirs; fails, what standard error says when none can be saved; limit, the largest file
# the game may write, in bytes.
Row = collections.namedtuple("Row", "name args pictures keys shots folder scale fails limit", defaults=(
    ("--scale", "1"), "{tmp}/pictures", (), 1, "{tmp}/pictures/driftwing", 1, None, None))


ROWS = [
    Row("title, twice", shots=2),
    Row("title fullscreen", args=["--fullscreen"], scale=2),
    Row("a paused game", keys=["s", "p"]),
    Row("a recording watched, paused", args=["--scale", "1", "--play", "{tmp}/watched.keys"],
        keys=["p"]),
    Row("a relative XDG_PICTURES_DIR is not used", pictures="pictures",
        folder="{home}/Pictures/driftwing"),
    Row("no pictures folder can be made", pictures="{tmp}/a-file/pictures",
        folder="{tmp}/a-file/pictures/driftwing",
        fails=r"cannot save a screenshot in \S+/a-file/pictures/driftwing: Not a directory"),
    Row("a write cut short", limit=512,
        fails=r"cannot save a screenshot to \S+/pictures/driftwing/%s\.png: File too large" % STAMP),
]


def pixels(path, width=None, height=None):
    """(width, height, the RGB bytes) of a binary PPM, or of that size from its middle."""
    data = open(path, "rb").read()
    w, h = (int(n) for n in data.split(maxsplit=3)[1:3])
    rgb = data[len(data) - w * h * 3:]
    width, height = width or w, height or h
    left, top = (w - width) // 2, (h - height) // 2
    return width, height, b"".join(rgb[((top + y) * w + left) * 3:((top + y) * w + left + width) * 3]
                                   for y in range(height))


def limited(row):
    if row.limit:
        resource.setrlimit(resource.RLIMIT_FSIZE, (row.limit, row.limit))


def run(ctx, row):
    fill = lambda text: text.replace("{tmp}", ctx.dir).replace("{home}", ctx.home)
    open(ctx.path("a-file"), "w").close()
    with open(ctx.path("watched.keys"), "w") as f:
        f.write("2 -\n1 S\n3000 LEFT+SPACE\n")
    env = ctx.env()
    if row.pictures:
        env["XDG_PICTURES_DIR"] = fill(row.pictures)
    ctx.launch(ctx.game, [fill(a) for a in row.args], lambda: limited(row), env)
    size = SCREEN if "--fullscreen" in row.args else (320 * row.scale, 300 * row.scale)
    ctx.wait_window("%dx%d" % size)
    for key in row.keys:
        ctx.key(key, 0.15)
    folder = fill(row.folder)
    saved = lambda: sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    for n in range(row.shots):
        ctx.key("F12", 0.15)
        end = time.monotonic() + 5
        while not row.fails and len(saved()) <= n and time.monotonic() < end:
            time.sleep(0.05)
    window = ctx.path("window.ppm")
    subprocess.run([ctx.xprobe, "shot", ctx.window, window], env=env, check=True)
    ctx.key("Escape")
    code, said = ctx.finish(10)
    out = ctx.said["stdout"].splitlines()
    err = [l for l in said.splitlines() if not l.startswith("ALSA lib ")]
    wrong = ["exit %d" % code] if code else []
    files = saved()
    if row.fails:
        if len(err) != 1 or not re.search(row.fails, err[0]) or out or files:
            wrong.append("expected one line on standard error and no file: %r, %r, %r"
                         % (err, out, files))
        return wrong
    if err or len(files) != row.shots:
        return wrong + ["%d files %r, standard error %r" % (len(files), files, err)]
    prefix = "driftwing: saved a screenshot to %s/" % folder
    named = [l[len(prefix):] for l in out if l.startswith(prefix)]
    if len(out) != row.shots or sorted(named) != files:
        wrong.append("standard output %r does not name %r" % (out, files))
    files = named or files
    first = files[0][:-4]
    for i, f in enumerate(files):
        if not re.fullmatch(STAMP + r"(-\d+)?\.png", f) or (i and f[:-4] in (first, first + "-1")):
            wrong.append("badly named: %s" % f)
        converted = ctx.path("shot%d.ppm" % i)
        subprocess.run(["convert", os.path.join(folder, f), converted], check=True)
        if pixels(converted) != pixels(window, 320 * row.scale, 300 * row.scale):
            wrong.append("%s is %dx%d and differs from the window" % ((f,) + pixels(converted)[:2]))
    return wrong


if __name__ == "__main__":
    sys.exit(run_table("screenshots", [(r.name, lambda ctx, r=r: run(ctx, r), "%dx%dx24" % SCREEN) for r in ROWS],
                       (sys.argv[1], None) + tuple(sys.argv[2:4])))
