# controls_test.py -- the player's own controls in the real window, the sound captured to a
# file through ALSA: M silences the game and M again brings it back; --volume 50 halves the
# music, and the next start remembers it; a settings file that moves Fire to LCONTROL and
# Left to A steers with A and fires with Ctrl (the recording holds the game's own LEFT and
# SPACE) while Space does nothing; --keys prints the keys in force and names a bad line.
#
#   controls_test.py GAME REPLAY DATA_DIR XPROBE
import array
import math
import os
import subprocess
import sys
import time
import wave

sys.path.insert(0, os.path.dirname(__file__))
from failures_lib import run_table  # noqa: E402


def samples(path):
    w = wave.open(path)
    return w.getframerate(), array.array("h", w.readframes(w.getnframes()))


def rms(s, begin, end):
    part = s[begin:end]
    return math.sqrt(sum(v * v for v in part) / max(1, len(part)))


def loudness_of_title(ctx, *args):
    """The music's RMS over a second of the title, one second in."""
    wav = ctx.path("title%d.wav" % len(os.listdir(ctx.dir)))
    ctx.capture_to(wav)
    ctx.start(*args)
    time.sleep(2.5)
    ctx.quit()
    rate, s = samples(wav)
    return rms(s, 2 * rate, 4 * rate)


def check_volume(ctx):
    full = loudness_of_title(ctx)
    half = loudness_of_title(ctx, "--volume", "50")
    again = loudness_of_title(ctx)
    wrong = []
    if full < 300:
        wrong.append("the music is hardly there (RMS %.0f)" % full)
    for what, level in (("--volume 50", half), ("the next start", again)):
        db = 20 * math.log10(max(level, 1e-9) / full)
        if abs(db + 6.02) > 1:
            wrong.append("%s: the music at %.2f dB, expected -6.02 +- 1" % (what, db))
    return wrong


def check_mute(ctx):
    wav = ctx.path("mute.wav")
    ctx.capture_to(wav)
    ctx.start()
    time.sleep(1)
    ctx.key("m")
    time.sleep(1.5)
    ctx.key("m")
    time.sleep(1)
    ctx.quit()
    rate, s = samples(wav)
    frame = rate * 2 // 60  # a frame of stereo samples
    # The longest run of silence, and how loud the game was just before it.
    best, run = (0, 0), 0
    for i, v in enumerate(s):
        run = run + 1 if v == 0 else 0
        if run > best[0]:
            best = (run, i - run + 1)
    length, begin = best
    wrong = []
    if length < rate:  # half a second of stereo samples
        wrong.append("M left no silence (longest %d samples)" % length)
    else:
        before = rms(s, begin - 2 * frame, begin)
        after = rms(s, begin + length, begin + length + rate)
        if before < 300:
            wrong.append("the sound faded for more than two frames before the silence (RMS %.0f)" % before)
        if after < 300:
            wrong.append("M again did not bring the sound back (RMS %.0f after)" % after)
    return wrong


def check_keys(ctx):
    os.makedirs(os.path.dirname(ctx.settings))
    with open(ctx.settings, "w") as f:
        f.write("[keys]\nfire = LCONTROL\nleft = A\n")
    keys = ctx.path("moved.keys")
    ctx.start("--record", keys)
    ctx.key("s")
    time.sleep(0.3)
    for key in ("space", "a", "ctrl"):
        ctx.key(key, 0.4)
        time.sleep(0.2)
    ctx.quit()
    held = [l.split()[1] for l in open(keys) if l[0].isdigit()]
    after_s = held[next(i for i, k in enumerate(held) if "S" in k.split("+")) + 1:]
    steps = [k for i, k in enumerate(after_s)  # a run may be written in parts: once each
             if k not in ("-", "ESC") and (i == 0 or after_s[i - 1] != k)]
    return [] if steps == ["LEFT", "SPACE"] else ["A, then Ctrl recorded as %s" % steps]


def check_printed(ctx):
    os.makedirs(os.path.dirname(ctx.settings))
    with open(ctx.settings, "w") as f:
        f.write("[keys]\nleft = A\nfire = NOPE\n")
    run = subprocess.run([ctx.game, "--keys"], env=ctx.env(), capture_output=True, text=True)
    wrong = []
    if run.returncode != 0 or "left = A\n" not in run.stdout or "fire = SPACE\n" not in run.stdout:
        wrong.append("--keys: exit %d, printed %r" % (run.returncode, run.stdout))
    said = [l for l in run.stderr.splitlines() if l.startswith("driftwing")]
    if said != ["driftwing: %s: line 3: 'NOPE' is no key name; fire keeps SPACE" % ctx.settings]:
        wrong.append("--keys said %r" % said)
    return wrong


ROWS = [
    ("volume and the next start", check_volume),
    ("mute", check_mute),
    ("moved keys", check_keys),
    ("--keys", check_printed),
]


if __name__ == "__main__":
    sys.exit(run_table("controls", ROWS, sys.argv[1:5]))
