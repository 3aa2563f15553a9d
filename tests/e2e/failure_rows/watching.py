# watching.py -- a recording watched with --play: too long to be a game, jumped to its end
# while the pass over it is far behind, keys tapped while a jump waits, a recording cut
# short, the line fullscreen. The window answers every key, the last frame is shown and
# stays, and every failure is one line.
import os
import subprocess
import sys
import time

from failures_lib import Row

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import pictures  # noqa: E402

HEADER = ("# A game of Driftwing: driftwing --play FILE shows it again, "
          "driftwing-replay --verify FILE checks it\n")
LONG = "1 S\n216000 SPACE\n"  # an hour: the pass takes many seconds to reach its end
SHORT = "1 S\n1200 SPACE\n"   # twenty seconds
SHORT_FRAMES = 1201
LINE_ROWS = 15                 # the playback line over the frame's bottom rows


def first_frames(text, frames):
    """The key script TEXT cut after FRAMES frames."""
    kept = []
    for line in text.splitlines():
        count, keys = line.split()
        kept.append("%d %s\n" % (min(int(count), frames), keys))
        frames -= min(int(count), frames)
        if not frames:
            break
    return "".join(kept)


def recording(text, *frames):
    """A setup: w.keys holding TEXT, and the runner's pictures of FRAMES beside it (played
    only as far as the last of them)."""
    def setup(ctx):
        with open(ctx.path("w.keys"), "w") as f:
            f.write(text)
        if not frames:
            return
        with open(ctx.path("shots.keys"), "w") as f:
            f.write(first_frames(text, max(frames)))
        shots = [a for n in frames for a in ("--shot", "%d:%s" % (n, ctx.path("%d.bmp" % n)))]
        subprocess.run([ctx.replay, "--data", os.path.dirname(ctx.data)] + shots +
                       [ctx.path("shots.keys")], check=True, capture_output=True)
    return setup


def shows(ctx, frame, seconds, lit=None):
    """None once the window shows FRAME (None: any) above the line within SECONDS, white in
    the line's rows or not as LIT says (None: either), else what it showed. Fullscreen at
    640 x 480 the frame is whole in the middle, the line in the band below it."""
    expected = frame and pictures.bmp_picture(ctx.path("%d.bmp" % frame), ctx.data)
    white = max(pictures.shown(ctx.data))
    shot, end, why = ctx.path("window.ppm"), time.monotonic() + seconds, "no picture"
    while time.monotonic() < end:
        if subprocess.run([ctx.xprobe, "shot", ctx.window, shot], env=ctx.env()).returncode == 0:
            picture = pictures.ppm_picture(shot)
            if len(picture) == 480:
                picture = [row[160:480] for row in picture[90:390 + LINE_ROWS]]
            above = len(picture) - LINE_ROWS
            if frame and picture[:above] != expected[:above]:
                why = "another picture"
            elif lit is not None and lit != any(white in row for row in picture[above:]):
                why = "the line shown" if not lit else "no line"
            else:
                return None
        time.sleep(0.05)
    return "frame %s not shown within %.1f s: %s" % (frame, seconds, why)


def keys_then(keys, frame=None, seconds=0.5, stays=0.0, then=(), lit=None, gone=False):
    """An action: KEYS tapped in turn ((name, held) pairs, 0.1 s apart); then FRAME shown
    (and the line as LIT says) within SECONDS and still shown STAYS seconds on, the game
    still running; then the keys THEN, the line GONE within 5 s if asked, and Escape. What
    went wrong is kept for the check."""
    def act(ctx):
        ctx.wait_window("640x480" if "--fullscreen" in ctx.proc.args else "320x300")
        for name, held in keys:
            ctx.key(name, held)
            time.sleep(0.1)
        ctx.problem = frame and shows(ctx, frame, seconds, lit)
        if frame and not ctx.problem and stays:
            time.sleep(stays)
            ctx.problem = (shows(ctx, frame, 0.1) or
                           ("the watcher ended by itself" if ctx.proc.poll() is not None else None))
        for name, held in then:
            ctx.key(name, held)
        ctx.problem = ctx.problem or (gone and shows(ctx, None, 5, lit=False))
        ctx.key("Escape", 0.05)
    return act


def seen(ctx):
    return getattr(ctx, "problem", None)


NO_NOTES = r"^driftwing: note: \S+/w\.keys notes no game state to check against$"
ROWS = [
    Row("a recording of a thousand runs of ten hours", ["--play", "{tmp}/w.keys"], x=False,
        setup=recording("2160000 -\n" * 1000), exit=1, lines=1, within=1,
        stderr=r"^driftwing: cannot play \S+/w\.keys: line 2: the keys go on past ten hours \(2160000 frames\)$"),
    # The pass is seconds behind End: Home tapped meanwhile shows the first frame at once;
    # End again, and Escape tapped meanwhile leaves at once.
    Row("Home, then Escape, tapped while End waits for the pass", ["--scale", "1", "--play", "{tmp}/w.keys"],
        setup=recording(LONG, 1), action=keys_then([("p", 0.1), ("End", 0.1), ("Home", 0.05)], 1,
                                                   then=[("End", 0.1)]),
        exit=0, lines=0, within=0.5, check=seen),
    # The last frame is shown and stays, paused (so the line over it stays), until Escape.
    Row("End shows the last frame and stays", ["--scale", "1", "--play", "{tmp}/w.keys"],
        setup=recording(SHORT, SHORT_FRAMES), action=keys_then([("End", 0.1)], SHORT_FRAMES, 3, 0.3, lit=True),
        exit=0, lines=1, within=1, stderr=NO_NOTES, check=seen),
    # Fullscreen the line goes in the band below the frame, and the band is black again
    # once the line goes, two seconds after the pause.
    Row("the line in the band below the frame, fullscreen", ["--fullscreen", "--play", "{tmp}/w.keys"],
        setup=recording(SHORT, 1), action=keys_then([("p", 0.1), ("Home", 0.1)], 1, 3, lit=True,
                                                    then=[("p", 0.1)], gone=True),
        exit=0, lines=0, within=1, check=seen),
    Row("a recording cut short, watched to its end", ["--scale", "1", "--play", "{tmp}/w.keys"],
        setup=recording(HEADER + "30 -\n1 S\n5 SPACE\n"), exit=0, lines=1, within=3,
        stderr=r"^driftwing: note: \S+/w\.keys has no closing state \(cut short\?\): 0 noted states of its 36 frames checked$"),
]
