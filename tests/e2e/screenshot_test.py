# screenshot_test.py -- F12 in the real window: the PNG it writes holds the window's pixels
# exactly, at the window's scale (in fullscreen the frame without its borders), on the
# title, while paused and watching a recording; a second one takes a new name; a pictures
# folder that cannot be made costs one line and the game plays on.
#
#   screenshot_test.py GAME DATA_DIR XPROBE
import os
import re
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(__file__))
from failures_lib import Context, Xvfb  # noqa: E402

STAMP = r"driftwing-\d{8}-\d{6}"

SCREEN = (1024, 768)  # fullscreen there is the frame at scale 2, centred
SAVED = "{tmp}/pictures/driftwing"
# Each row: its name, the command line, XDG_PICTURES_DIR (in the row's folder; a relative
# value as it is; None: unset), the keys tapped first, how many F12s, the folder the
# pictures are to be found in (None: none can be saved), and their scale.
ROWS = [
    ("title, twice", ["--scale", "1"], "{tmp}/pictures", [], 2, SAVED, 1),
    ("title at scale 2", ["--scale", "2"], "{tmp}/pictures", [], 1, SAVED, 2),
    ("title fullscreen", ["--fullscreen"], "{tmp}/pictures", [], 1, SAVED, 2),
    ("a paused game", ["--scale", "1"], "{tmp}/pictures", ["s", "p"], 1, SAVED, 1),
    ("a recording watched, paused", ["--scale", "1", "--play", "{tmp}/watched.keys"],
     "{tmp}/pictures", ["p"], 1, SAVED, 1),
    ("a relative XDG_PICTURES_DIR is not used", ["--scale", "1"], "pictures", [], 1,
     "{home}/Pictures/driftwing", 1),
    ("no pictures folder can be made", ["--scale", "1"], "{tmp}/a-file/pictures", [], 1, None, 1),
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


def run(ctx, row):
    name, args, pictures, keys, shots, folder, scale = row
    fill = lambda text: text.replace("{tmp}", ctx.dir).replace("{home}", ctx.home)
    open(ctx.path("a-file"), "w").close()
    with open(ctx.path("watched.keys"), "w") as f:
        f.write("2 -\n1 S\n3000 LEFT+SPACE\n")
    env = ctx.env()
    env.pop("XDG_PICTURES_DIR", None)
    if pictures:
        env["XDG_PICTURES_DIR"] = fill(pictures)
    ctx.proc = subprocess.Popen([ctx.game] + [fill(a) for a in args], cwd=os.path.join(ctx.dir, "game"),
                                env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
    said = {}
    readers = [threading.Thread(target=lambda s=s: said.update({s: getattr(ctx.proc, s).read()}))
               for s in ("stdout", "stderr")]
    for reader in readers:
        reader.start()
    ctx.wait_window("%dx%d" % (SCREEN if "--fullscreen" in args else (320 * scale, 300 * scale)))
    for key in keys:
        ctx.key(key, 0.15)
    saved = lambda: sorted(os.listdir(fill(folder))) if folder and os.path.isdir(fill(folder)) else []
    for n in range(shots):
        ctx.key("F12", 0.15)
        end = time.monotonic() + 5
        while folder and len(saved()) <= n and time.monotonic() < end:
            time.sleep(0.05)
    window = ctx.path("window.ppm")
    subprocess.run([ctx.xprobe, "shot", ctx.window, window], env=env, check=True)
    ctx.key("Escape")
    code = ctx.proc.wait(timeout=10)
    for reader in readers:
        reader.join()
    out = said["stdout"].decode(errors="replace").splitlines()
    err = [l for l in said["stderr"].decode(errors="replace").splitlines()
           if not l.startswith("ALSA lib ")]
    wrong = []
    if code != 0:
        wrong.append("exit %d" % code)
    if folder is None:
        if len(err) != 1 or "cannot save a screenshot" not in err[0] or out:
            wrong.append("expected one line on standard error: %r, %r" % (err, out))
        return wrong
    files = saved()
    if err or len(files) != shots:
        return wrong + ["%d files %r, standard error %r" % (len(files), files, err)]
    prefix = "driftwing: saved a screenshot to %s/" % fill(folder)
    named = [l[len(prefix):] for l in out if l.startswith(prefix)]
    if len(out) != shots or sorted(named) != files:
        wrong.append("standard output %r does not name %r" % (out, files))
    files = named or files
    first = files[0][:-4]
    for i, f in enumerate(files):
        if not re.fullmatch(STAMP + r"(-\d+)?\.png", f) or (i and f[:-4] in (first, first + "-1")):
            wrong.append("badly named: %s" % f)
        converted = ctx.path("shot%d.ppm" % i)
        subprocess.run(["convert", os.path.join(fill(folder), f), converted], check=True)
        if pixels(converted) != pixels(window, 320 * scale, 300 * scale):
            wrong.append("%s is %dx%d and differs from the window" % ((f,) + pixels(converted)[:2]))
    return wrong


def main():
    game, data, xprobe = (os.path.realpath(p) for p in sys.argv[1:4])
    xvfb = Xvfb("%dx%dx24" % SCREEN)
    failures = []
    try:
        for row in ROWS:
            ctx = Context((game, None, data, xprobe), xvfb.display)
            try:
                failures += ["%s: %s" % (row[0], w) for w in run(ctx, row)]
            except (AssertionError, subprocess.SubprocessError) as e:
                failures.append("%s: %s" % (row[0], e))
            finally:
                if ctx.proc and ctx.proc.poll() is None:
                    ctx.proc.kill()
                ctx.cleanup()
    finally:
        xvfb.stop()
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    print("screenshots: %s" % ("ok" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
