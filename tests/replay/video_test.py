#!/usr/bin/env python3
# video_test.py -- driftwing-replay --video, read back with Debian's ffmpeg and ffprobe:
# one 4-second recording (music, two blasts, shots) made into MP4, WebM, GIF and a clip;
# each video's frames against the runner's own --shot pictures, its sound against the
# game's shot sample. The refused command lines are rows of the failure table.
#
#   video_test.py REPLAY BUILD_DIR
#
# MP4 and WebM are lossy: a decoded frame may differ from the game's picture by a mean
# of MEAN_TOLERANCE per channel (measured: 2.2 to 2.3 for both H.264 at crf 18 and VP9
# at crf 24, mostly the dark colours rounded in limited-range yuv420p), while the frame
# before or after differs from it by 6 or more. GIF is exact.
import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import pictures  # noqa: E402

MEAN_TOLERANCE = 3.5
ONSET_TOLERANCE = 48  # samples at 48 kHz: 1 ms
HEADER = ("# A game of Driftwing: driftwing --play FILE shows it again, "
          "driftwing-replay --verify FILE checks it\n")
# Frames 1..150: a shot in frame 11 destroys a diver in frame 30 (the blast), then shots
# every tenth frame from 81 while gliding left.
KEYS = "1 S\n10 SPACE\n60 -\n79 LEFT+SPACE\n"
FRAMES, SHOT_FRAME = 150, 11
SCALE = 2


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def probe(path):
    """(r_frame_rate, frames counted, [frame durations in the stream's time base])."""
    out = run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
               "stream=r_frame_rate,nb_read_frames", "-of", "csv=p=0", path]).stdout.split(",")
    return out[0].strip(), int(out[1])


def gif_delays(path):
    """Each GIF frame's delay in hundredths, as ffprobe reads them."""
    out = run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "frame=pkt_duration",
               "-of", "csv=p=0", path]).stdout
    return [int(line) for line in out.split()]


def decoded_frames(path, numbers, width, height):
    """The given video frames (by number, in order) as rgb24 bytes."""
    select = "+".join("eq(n\\,%d)" % n for n in numbers)
    out = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-vf", "select=" + select, "-fps_mode",
                          "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         capture_output=True, check=True).stdout
    size = width * height * 3
    return [out[i * size:(i + 1) * size] for i in range(len(numbers))]


def shot_rgb(bmp, scale):
    """A --shot picture as the video should show it: rgb24, each pixel scale x scale."""
    _, _, rows, palette = pictures.read_bmp(bmp)
    colours = [bytes(c) * scale for c in palette]
    return b"".join(b"".join(colours[i] for i in row) * scale for row in rows)


def mean_difference(a, b, width):
    """Over every other row of two rgb24 pictures, for speed."""
    if len(a) != len(b):
        return float("inf")
    row = width * 3
    pairs = [(a[i:i + row], b[i:i + row]) for i in range(0, len(a), 2 * row)]
    return sum(sum(abs(x - y) for x, y in zip(*p)) for p in pairs) / (len(pairs) * row)


def decoded_sound(path):
    """A video's (or a sample's) sound as 48 kHz stereo (left, right) lists of ints."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-ar", "48000", "-"],
                         capture_output=True, check=True).stdout
    values = struct.unpack("<%dh" % (len(raw) // 2), raw)
    return values[0::2], values[1::2]


def best_lag(signal_, pattern, around, reach):
    """The lag within around +- reach at which pattern correlates best with signal_, and
    that correlation (normalised, 1: the same shape)."""
    def correlation(lag):
        part = signal_[lag:lag + len(pattern)]
        dot = sum(a * b for a, b in zip(part, pattern))
        norm = (sum(a * a for a in part) * sum(b * b for b in pattern)) ** 0.5
        return dot / norm if norm else 0
    lags = range(max(0, around - reach), around + reach + 1)
    scores = [(correlation(lag), lag) for lag in lags]
    score, lag = max(scores)
    return lag, score


def main(replay, build):
    failures = []
    folder = tempfile.mkdtemp()
    data = os.path.join(build, "data")
    path = lambda name: os.path.join(folder, name)  # noqa: E731

    # A recording that verifies: its closing digest taken from what a wrong one is told.
    draft = HEADER + KEYS + "# end frame %d state 0000000000000000\n" % FRAMES
    open(path("game.keys"), "w").write(draft)
    said = run([replay, "--verify", path("game.keys")], cwd=build).stderr
    digest = re.search(r"the game's state is ([0-9a-f]{16})", said).group(1)
    open(path("game.keys"), "w").write(draft.replace("0" * 16, digest))

    shots = [1, 10, 60, 101, 149, 150]
    shot_args = sum((["--shot", "%d:%s" % (n, path("%d.bmp" % n))] for n in shots), [])
    subprocess.run([replay] + shot_args + [path("game.keys")], cwd=build, check=True)

    # The videos: (output, extra arguments, frames, r_frame_rate, first game frame, step):
    # video frame k is game frame first + k * step, the whole game's from frame 1.
    made = [("game.mp4", [], FRAMES, "60/1", 1, 1),
            ("game.webm", [], FRAMES, "60/1", 1, 1),
            ("game.gif", [], FRAMES // 2, "30/1", 1, 2),
            ("clip.mp4", ["--from", "1", "--to", "2"], 60, "60/1", 60, 1)]
    for name, extra, count, rate, first, step in made:
        result = run([replay, "--video", path(name), "--scale", str(SCALE)] + extra + [path("game.keys")],
                     cwd=build)
        if result.returncode != 0 or result.stderr:
            failures.append("%s: exit %d, %r" % (name, result.returncode, result.stderr))
            continue
        found = probe(path(name))
        if found != (rate, count):
            failures.append("%s: rate and frames %s, not %s" % (name, found, (rate, count)))
        wanted = [(n - first) // step for n in shots if first <= n < first + count * step and (n - first) % step == 0]
        frames = decoded_frames(path(name), wanted, 320 * SCALE, 300 * SCALE)
        for number, frame in zip(wanted, frames):
            shot = shot_rgb(path("%d.bmp" % (first + number * step)), SCALE)
            exact = name.endswith(".gif")
            difference = 0 if exact and frame == shot else mean_difference(frame, shot, 320 * SCALE)
            if (exact and frame != shot) or difference > MEAN_TOLERANCE:
                failures.append("%s: frame %d differs from game frame %d by %.2f a channel"
                                % (name, number, first + number * step, difference))
    delays = gif_delays(path("game.gif"))
    if delays != [3, 3, 4] * (len(delays) // 3):
        failures.append("game.gif: delays %s, not 3, 3, 4 in turn" % delays[:9])

    # The sound: the first shot starts with its frame's picture, in both lossy codecs.
    # Music is centred, so left minus right is (almost) the shot alone, panned well left:
    # it correlates with the shot sample at 0.99 (0.86 when the shot is panned right).
    pattern = decoded_sound(os.path.join(data, "effect.wav"))[0][:1200]  # at 48 kHz
    for name in ["game.mp4", "game.webm"]:
        left, right = decoded_sound(path(name))
        if len(left) < FRAMES * 800 - 1024:
            failures.append("%s: %d samples of sound" % (name, len(left)))
            continue
        side = [a - b for a, b in zip(left, right)]
        at = (SHOT_FRAME - 1) * 800
        lag, score = best_lag(side, pattern, at, 240)
        if abs(lag - at) > ONSET_TOLERANCE or score < 0.95:
            failures.append("%s: the shot starts at sample %d (correlation %.2f), not %d"
                            % (name, lag, score, at))
    # The clip's music is the whole video's from its first frame, game frame 60, on.
    whole = decoded_sound(path("game.mp4"))
    clip = decoded_sound(path("clip.mp4"))
    music = [a + b for a, b in zip(*clip)][4800:7200]
    start = 59 * 800
    lag, score = best_lag([a + b for a, b in zip(*whole)], music, start + 4800, 240)
    if abs(lag - start - 4800) > ONSET_TOLERANCE or score < 0.9:
        failures.append("clip.mp4: its sound is the whole game's from sample %d (correlation %.2f), "
                        "not %d" % (lag - 4800, score, start))

    for failure in failures:
        print("FAIL " + failure, file=sys.stderr)
    return not failures


if __name__ == "__main__":
    sys.exit(0 if main(*sys.argv[1:3]) else 1)
