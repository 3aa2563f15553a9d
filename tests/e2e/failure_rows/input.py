# input.py -- keys as a hurried player or a program types them: a tap that goes down and up
# between two frames, and screenshots asked for faster than they are written. Every press
# counts, and every screenshot is a whole file.
import os
import re
import signal
import subprocess

from failures_lib import Row

SHOTS = 30


def typed(size, *args):
    """An action: xdotool types ARGS into the window of SIZE at once."""
    def act(ctx):
        ctx.wait_window(size)
        xdotool = lambda *a: subprocess.run(["xdotool"] + list(a), env=ctx.env(), check=True)
        xdotool("windowfocus", ctx.window)
        xdotool(*args)
    return act


def typed_then(sig, size, *args):
    """An action: xdotool types ARGS into the window of SIZE, then the signal at once."""
    def act(ctx):
        typed(size, *args)(ctx)
        ctx.signal(sig)
    return act


def whole_pngs(count):
    """A check: COUNT whole PNGs in the pictures folder and nothing else, less those a line
    says were not saved."""
    def check(ctx):
        folder = os.path.join(ctx.home, "Pictures", "driftwing")
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        unsaved = re.search(r"^driftwing: (\d+) screenshots? not saved: the game was asked to quit$",
                            ctx.stderr, re.MULTILINE)
        if len(names) + (int(unsaved.group(1)) if unsaved else 0) != count or any(not n.endswith(".png") or n.startswith(".") for n in names):
            return "%d files, not %d screenshots: %s" % (len(names), count, names[:4])
        for name in names:
            data = open(os.path.join(folder, name), "rb").read()
            if not data.startswith(b"\x89PNG\r\n\x1a\n") or not data.endswith(b"IEND\xaeB`\x82"):
                return "%s is not a whole PNG (%d bytes)" % (name, len(data))
    return check


ROWS = [
    # Down and up at once, as a program types: both before the next frame reads the keys.
    Row("Escape tapped between two frames on the title", ["--scale", "1"],
        action=typed("320x300", "key", "--delay", "0", "Escape"), exit=0, lines=0, within=0.5),
    # Each screenshot at scale 3 takes the encoder tens of milliseconds; F12 comes every
    # 50, then Escape at once: every press is a file, and the game ends once all are whole.
    Row("F12 thirty times at scale 3, then Escape", ["--scale", "3"],
        action=typed("960x900", "key", "--delay", "50", *(["F12"] * SHOTS + ["Escape"])),
        exit=0, lines=0, within=5, check=whole_pngs(SHOTS),
        sanitized=False),  # thirty PNGs at scale 3 take far longer under the sanitizers
    # A quit signal after five: the one being written is finished, the others are said.
    Row("F12 five times at scale 3, then SIGTERM", ["--scale", "3"],
        action=typed_then(signal.SIGTERM, "960x900", "key", "--delay", "20", *["F12"] * 5),
        exit=128 + signal.SIGTERM, within=0.5, check=whole_pngs(5),
        sanitized=False),  # under the sanitizers one PNG at scale 3 may take the half second
]
