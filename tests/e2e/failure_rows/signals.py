# signals.py -- a signal ends the game the way Escape does, wherever it is, with exit code
# 128 + the signal's number and soon: a recording keeps its closing line.
import re
import signal
import time

from failures_lib import Row


def after(steps, sig):
    """An action: the window, the keys in turn, then the signal."""
    def act(ctx):
        ctx.wait_window(steps[0] if steps and "x" in steps[0] else "320x300")
        for step in steps:
            if "x" not in step:
                ctx.key(step)
                time.sleep(0.3)
        ctx.signal(sig)
    return act


def closed(ctx):
    text = open(ctx.path("game.keys")).read()
    if not re.search(r"\n# end frame \d+ state [0-9a-f]{16}\n$", text):
        return "the recording has no closing line: %r" % text[-200:]


def script(ctx):
    with open(ctx.path("some.keys"), "w") as f:
        f.write("20 -\n1 S\n3000 LEFT\n")


ROWS = [
    Row("SIGINT on the title", ["--scale", "1"], action=after([], signal.SIGINT),
        exit=128 + signal.SIGINT, lines=0, within=1),
    Row("SIGTERM in a recorded game", ["--scale", "1", "--record", "{tmp}/game.keys"],
        action=after(["s"], signal.SIGTERM), exit=128 + signal.SIGTERM, lines=0, within=1,
        check=closed),
    Row("SIGHUP while paused", ["--scale", "1"], action=after(["s", "p"], signal.SIGHUP),
        exit=128 + signal.SIGHUP, lines=0, within=1),
    Row("SIGQUIT fullscreen", ["--fullscreen"], action=after(["640x480"], signal.SIGQUIT),
        exit=128 + signal.SIGQUIT, lines=0, within=1),
    Row("SIGTERM while playing a recording", ["--scale", "1", "--play", "{tmp}/some.keys"],
        setup=script, action=after([], signal.SIGTERM), exit=128 + signal.SIGTERM, within=1),
]
