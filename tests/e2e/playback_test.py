# playback_test.py -- a recorded game watched in the real window with its controls: paused,
# stepped forwards and back, jumped ten seconds either way, to the first and the last
# frame; each picture shown is the one the replay runner draws at that frame, the line over
# the window shows while paused, and the recording still checks out when it plays to its end.
#
#   playback_test.py GAME REPLAY DATA_DIR XPROBE
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
sys.path.insert(0, os.path.dirname(__file__))
import pictures  # noqa: E402
from failures_lib import Context, Xvfb, report  # noqa: E402

LINE_ROWS = 15  # the playback line over the frame's bottom rows


def record(ctx, path):
    """About twelve seconds of games: S and Space held (a new game whenever one is lost)
    while steering left and right."""
    ctx.start("--record", path)
    ctx.key("s")
    tap = lambda *a: subprocess.run(["xdotool"] + list(a), env=ctx.env())
    tap("keydown", "s", "keydown", "space")
    for side in ("Left", "Right") * 2:
        ctx.key(side, 3.1)
    tap("keyup", "space", "keyup", "s")
    ctx.key("Escape")
    code, said = ctx.finish(10)
    assert code == 0, "recording: exit %d: %s" % (code, said)
    ends = [l for l in open(path) if l.startswith("# end frame")]
    assert ends, "the recording has no closing line"
    return int(ends[0].split()[3])


def shows(ctx, problem, seconds=3):
    """Waits until the window's picture has no problem (a function of the picture that
    says what is wrong, or None); else what was wrong with the last look."""
    shot = ctx.path("window.ppm")
    end = time.monotonic() + seconds
    why = "no picture"
    while time.monotonic() < end:
        if subprocess.run([ctx.xprobe, "shot", ctx.window, shot], env=ctx.env()).returncode == 0:
            why = problem(pictures.ppm_picture(shot))
            if why is None:
                return None
        time.sleep(0.1)
    return why


def frame_and_line(expected, white):
    """A problem: the frame above the line is not EXPECTED's, or no line over its bottom rows."""
    above = len(expected) - LINE_ROWS
    return lambda picture: ("the frame differs" if picture[:above] != expected[:above] else
                            None if any(white in row for row in picture[above:]) else
                            "no line over the bottom rows")


def main():
    game, replay, data, xprobe = (os.path.realpath(p) for p in sys.argv[1:5])
    xvfb = Xvfb()
    ctx = Context((game, replay, data, xprobe), xvfb.display)
    failures = []
    try:
        recording = ctx.path("watched.keys")
        last = record(ctx, recording)
        assert last > 700, "a recording of %d frames is too short to jump in" % last
        # Each row: the keys tapped, and the frame then shown. In a game every frame's
        # picture differs from its neighbours' (checked below), so a frame too many or
        # too few shows; the title's first frames are alike. The same control tapped twice
        # in one frame counts once, so each step is seen before the next (a busy machine
        # can hold the game back a few frames).
        rows = [
            (["p", "End"], last),
            (["comma"], last - 1),
            (["comma"], last - 2),
            (["Left"], last - 602),
            (["period"], last - 601),
            (["Right"], last - 1),
            (["Right"], last),
            (["Home"], 1),
            (["Right"], 601),
            (["period"], 602),
            (["period"], 603),
            (["period"], 604),
            (["comma"], 603),
            (["Left"], 3),
        ]
        wanted = {frame + d for _, frame in rows for d in (-1, 0, 1) if 1 <= frame + d <= last}
        shots = [a for f in sorted(wanted) for a in ("--shot", "%d:%s" % (f, ctx.path("%d.bmp" % f)))]
        subprocess.run([replay, "--data", os.path.dirname(data)] + shots + [recording], check=True)
        picture = lambda f: pictures.bmp_picture(ctx.path("%d.bmp" % f), data)[:-LINE_ROWS]
        for _, frame in rows:
            if frame > 100 and any(picture(frame) == picture(n) for n in (frame - 1, frame + 1)
                                   if n <= last):
                failures.append("frame %d looks like a neighbour: no test of it" % frame)
        ctx.start("--play", recording)
        white = max(pictures.shown(data))
        for keys, frame in rows:
            for key in keys:
                ctx.key(key, 0.1)
            problem = shows(ctx, frame_and_line(pictures.bmp_picture(ctx.path("%d.bmp" % frame), data), white))
            if problem:
                failures.append("after %s: frame %d is not shown: %s" % ("+".join(keys), frame, problem))
        # Played on from the last frame but one, the recording ends and checks out.
        ctx.key("End", 0.1)
        ctx.key("comma", 0.1)
        ctx.key("p", 0.1)
        code, said = ctx.finish(10)
        if code != 0 or "differently" in said or "notes the game" in said:
            failures.append("played to its end: exit %d: %s" % (code, said))
        # Fullscreen (640 x 480, the frame at scale 1 in the middle) the line goes in the
        # band below the frame, never over it, and the band is black again once it goes.
        ctx.start("--fullscreen", "--play", recording, size="640x480")
        left, top = (640 - 320) // 2, (480 - 300) // 2
        first = pictures.bmp_picture(ctx.path("1.bmp"), data)
        lit = lambda shot: any(p != (0, 0, 0) for row in shot[top + 300:top + 300 + LINE_ROWS]
                               for p in row[left:left + 320])
        whole = lambda shot: [row[left:left + 320] for row in shot[top:top + 300]] == first
        # Paused at the first frame: the frame whole, the line below it; then on again, the
        # line gone after its two seconds.
        for keys, problem, seconds in (
                (["p", "Home"], lambda shot: "the frame is not whole" if not whole(shot) else
                 None if lit(shot) else "the band below the frame is black", 3),
                (["p"], lambda shot: "the band below the frame is still lit" if lit(shot) else None, 5)):
            for key in keys:
                ctx.key(key, 0.1)
            why = shows(ctx, problem, seconds)
            if why:
                failures.append("fullscreen, after %s: %s" % ("+".join(keys), why))
        ctx.key("Escape")
        ctx.finish(10)
    finally:
        ctx.cleanup()
        xvfb.stop()
    return report("playback", failures)


if __name__ == "__main__":
    sys.exit(main())
