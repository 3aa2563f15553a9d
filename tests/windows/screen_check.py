#!/usr/bin/env python3
"""screen_check.py -- watches the game's window on an X display and judges what it shows.

The game draws in 8-bit colour; the screen shows each pixel through the palette the
game selects (the one stored in its bitmaps). So the title screen, as seen on the
display, is title frame 1 of data/main2.bmp (sheet x 0-319) with every index looked up
in that palette. The score line (rows 0-7, x 0-143) is drawn over the title and is
left out of the comparison.

  screen_check.py title WINDOW TITLE_BMP PALETTE_BMP [--pacing check|report] [--save DIR]
      waits for title frame 1; with --pacing also times the title blink and prints
      the frame rate it implies (frame 2 shows for ticks 301-499, frame 1 again from
      tick 0, so one whole cycle is 501 frames); 'check' fails unless it is 60.
  screen_check.py left-title WINDOW TITLE_BMP PALETTE_BMP
      waits until the window shows neither title frame (a game has started).

Exit status 0 when the wait succeeds, 1 otherwise, with the reason on stderr.
"""
import argparse
import hashlib
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from bmp8 import read_bmp8  # noqa: E402  (also used by the tests as screen_check.read_bmp8)

WIDTH, HEIGHT = 320, 300
SCORE_ROWS, SCORE_COLUMNS = 8, 144  # the score line, drawn over the title
FRAME2_X = 320
TOLERANCE = 8  # per channel: the 6-bit palette is widened back to 8 bits on screen
BLINK_CYCLE = 501  # frames from one showing of title frame 2 to the next
# Seconds between grabs. Each xwd call keeps the X server from the game's own copies
# for a moment; grabbing flat out slowed the game under Wine to 58 frames a second.
POLL_GAP = 0.1
# The pacer holds 60 frames a second on average, but a frame that comes more than a
# whole period late starts a new schedule and that time is lost: on a busy machine
# (load average 7-9 on 2 cores) the 32-bit build under Wine measured 56.8-60.2.
LOWEST_FPS, HIGHEST_FPS = 55.0, 63.0


def title_frame(title_rows, palette, frame_x):
    """The 320 x 300 picture of one title frame as rows of (r, g, b)."""
    return [[palette[i] for i in row[frame_x:frame_x + WIDTH]] for row in title_rows[:HEIGHT]]


def parse_xwd(data):
    """Decodes an xwd dump of a TrueColor window into rows of (r, g, b)."""
    fields = struct.unpack_from(">25I", data, 0)
    header_size, _version, pixmap_format, _depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colour_entries = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError(f"unsupported xwd image: format {pixmap_format}, "
                         f"{bits_per_pixel} bits per pixel")
    start = header_size + 12 * colour_entries
    step = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        row = []
        for x in range(0, width * step, step):
            v = int.from_bytes(line[x:x + step], endian)
            row.append(tuple((v & m) >> s for m, s in zip(masks, shifts)))
        rows.append(row)
    return rows


def mismatches(shown, expected):
    """Pixels outside the score line that differ by more than the tolerance."""
    if len(shown) < HEIGHT or any(len(r) < WIDTH for r in shown[:HEIGHT]):
        return WIDTH * HEIGHT
    count = 0
    for y in range(HEIGHT):
        first_x = SCORE_COLUMNS if y < SCORE_ROWS else 0
        got, want = shown[y], expected[y]
        if got[first_x:WIDTH] == want[first_x:WIDTH]:
            continue
        for x in range(first_x, WIDTH):
            a, b = got[x], want[x]
            if (abs(a[0] - b[0]) > TOLERANCE or abs(a[1] - b[1]) > TOLERANCE
                    or abs(a[2] - b[2]) > TOLERANCE):
                count += 1
    return count


class Watcher:
    """Grabs the window and names what it shows: 'frame1', 'frame2' or 'other'."""

    def __init__(self, window, frame1, frame2, grab=None, clock=time.monotonic,
                 sleep=time.sleep):
        self.window = window
        self.clock = clock
        self.sleep = sleep
        self.expected = {"frame1": frame1, "frame2": frame2}
        self.known = {}  # digest of a grab -> its name
        self.last_rows = None
        self.last_raw = None
        self.last_bounds = None
        self.grab = grab or self._xwd

    def _xwd(self):
        return subprocess.run(["xwd", "-silent", "-id", self.window], check=True,
                              capture_output=True, timeout=10).stdout

    def look(self):
        """(name, start, end) of a grab of the window's current picture: the picture
        was taken at some moment between start and end."""
        start = self.clock()
        raw = self.grab()
        end = self.clock()
        self.last_raw = raw
        digest = hashlib.sha1(raw).digest()
        if digest not in self.known:
            self.last_rows = parse_xwd(raw)
            name = "other"
            for candidate, picture in self.expected.items():
                if mismatches(self.last_rows, picture) == 0:
                    name = candidate
                    break
            self.known[digest] = name
        return self.known[digest], start, end

    def wait_for(self, wanted, seconds, hold=0.0):
        """Estimated moment at which the window began to show one of the wanted names,
        or None. The change happened within self.last_bounds: after the last grab that
        showed something else began, before the first one that showed it ended. With
        hold, the grabs must go on showing wanted names for that many seconds (the
        title has two single blank frames that are not the title pictures)."""
        deadline = self.clock() + seconds
        since = None
        previous = None  # (start, end) of the latest grab that showed something else
        while self.clock() < deadline:
            name, start, end = self.look()
            if name not in wanted:
                since = None
                previous = (start, end)
            else:
                if since is None:
                    if previous is None:
                        since, self.last_bounds = start, (start, end)
                    else:
                        since = (previous[0] + previous[1] + start + end) / 4
                        self.last_bounds = (previous[0], end)
                if end - since >= hold:
                    return since
            self.sleep(POLL_GAP)
        return None


def save_grab(watcher, folder, name):
    if folder and watcher.last_raw:
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(watcher.last_raw)


def measure_blink(watcher, cycles=2):
    """Frames per second over whole blink cycles, as (estimate, lowest, highest) that
    the grabs' timing allows, or an error message."""
    first2 = watcher.wait_for({"frame2"}, 12)
    if first2 is None:
        return None, "title frame 2 never showed within 12 s of title frame 1"
    early, late = watcher.last_bounds
    for _ in range(cycles):
        if watcher.wait_for({"frame1"}, 8) is None:
            return None, "title frame 1 did not come back within 8 s of title frame 2"
        last2 = watcher.wait_for({"frame2"}, 12)
        if last2 is None:
            return None, "title frame 2 did not come back within 12 s"
    frames = BLINK_CYCLE * cycles
    rate = (frames / (last2 - first2), frames / (watcher.last_bounds[1] - early),
            frames / max(watcher.last_bounds[0] - late, 1e-3))
    print(f"title blink: {cycles} whole cycles ({frames} frames, {frames / 60:.2f} s at "
          f"60 Hz) took {last2 - first2:.2f} s -> {rate[0]:.1f} frames per second "
          f"(between {rate[1]:.1f} and {rate[2]:.1f})")
    return rate, None


def pace_is_60_hz(rate):
    """True when the measured range of rates reaches into 55-63 frames a second."""
    _estimate, lowest, highest = rate
    return lowest <= HIGHEST_FPS and highest >= LOWEST_FPS


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["title", "left-title"])
    parser.add_argument("window")
    parser.add_argument("title_bmp")
    parser.add_argument("palette_bmp")
    parser.add_argument("--pacing", choices=["check", "report"],
                        help="time the title blink; 'report' only prints the rate")
    parser.add_argument("--save", help="folder for the last grab when a check fails")
    parser.add_argument("--wait", type=float, default=20.0)
    args = parser.parse_args(argv)

    _w, _h, title_rows, _ = read_bmp8(args.title_bmp)
    _w, _h, _rows, palette = read_bmp8(args.palette_bmp)
    frame1 = title_frame(title_rows, palette, 0)
    frame2 = title_frame(title_rows, palette, FRAME2_X)
    watcher = Watcher(args.window, frame1, frame2)

    if args.mode == "left-title":
        if watcher.wait_for({"other"}, args.wait, hold=0.3) is None:
            save_grab(watcher, args.save, "still-title.xwd")
            print("the window still shows the title screen", file=sys.stderr)
            return 1
        print("the title screen has gone: a game is on")
        return 0

    if watcher.wait_for({"frame1"}, args.wait) is None:
        save_grab(watcher, args.save, "not-title.xwd")
        wrong = mismatches(watcher.last_rows, frame1) if watcher.last_rows else WIDTH * HEIGHT
        print(f"title frame 1 never showed: {wrong} pixels differ in the last grab",
              file=sys.stderr)
        return 1
    print("title frame 1 is on screen, pixel for pixel")
    if args.pacing:
        rate, error = measure_blink(watcher)
        if error:
            save_grab(watcher, args.save, "blink.xwd")
            print(error, file=sys.stderr)
            return 1
        if args.pacing == "check" and not pace_is_60_hz(rate):
            print(f"the game runs at {rate[0]:.1f} frames per second, not 60", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
