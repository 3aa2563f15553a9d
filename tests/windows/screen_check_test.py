#!/usr/bin/env python3
"""Tests of the screen checker the Windows stage relies on: a checker that passes a
wrong picture, or mis-times the blink, would let a broken Windows build through."""
import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screen_check as sc  # noqa: E402

W, H = sc.WIDTH, sc.HEIGHT


def write_bmp8(path, rows, palette, top_down=False, colours_used=0):
    """An uncompressed 8-bit BMP, laid out as Windows and Allegro write them."""
    height, width = len(rows), len(rows[0])
    stride = (width + 3) & ~3
    count = colours_used or 256
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette + [(0, 0, 0)] * 256)[:count])
    ordered = rows if top_down else list(reversed(rows))
    pixels = b"".join(bytes(r) + b"\0" * (stride - width) for r in ordered)
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, 8, 0,
                       len(pixels), 2835, 2835, colours_used, 0)
    with open(path, "wb") as f:
        f.write(header + info + pal + pixels)


def make_xwd(rows, bits=32, byte_order=0, extra_line_bytes=0, colour_entries=0):
    """An xwd ZPixmap dump of a TrueColor window, as xwd writes one."""
    height, width = len(rows), len(rows[0])
    step = bits // 8
    line = width * step + extra_line_bytes
    name = b"driftwing\0"
    header_size = 100 + len(name)
    fields = [header_size, 7, 2, 24, width, height, 0, byte_order, 32, byte_order, 32, bits,
              line, 4, 0xFF0000, 0x00FF00, 0x0000FF, 8, colour_entries, colour_entries,
              width, height, 0, 0, 0]
    endian = "little" if byte_order == 0 else "big"
    body = b"".join(
        b"".join(((r << 16) | (g << 8) | b).to_bytes(step, endian) for r, g, b in row)
        + b"\xAA" * extra_line_bytes for row in rows)
    return struct.pack(">25I", *fields) + name + b"\x55" * (12 * colour_entries) + body


# A title sheet of two distinct frames and a palette of clearly different colours.
PALETTE = [(i * 13 % 256, i * 57 % 256, i * 101 % 256) for i in range(256)]
SHEET = [bytes(((x + y) % 7 if x < 320 else 8 + (x * y) % 5) for x in range(640))
         for y in range(H)]
FRAME1 = sc.title_frame(SHEET, PALETTE, 0)
FRAME2 = sc.title_frame(SHEET, PALETTE, sc.FRAME2_X)


def copy(picture):
    return [list(row) for row in picture]


class BitmapReading(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def test_rows_come_out_top_first_whichever_way_they_are_stored(self):
        rows = [bytes([1, 2, 3, 4, 5]), bytes([6, 7, 8, 9, 10]), bytes([11, 12, 13, 14, 15])]
        for top_down in (False, True):
            path = os.path.join(self.folder.name, f"p{top_down}.bmp")
            write_bmp8(path, rows, PALETTE, top_down=top_down)
            width, height, got, palette = sc.read_bmp8(path)
            self.assertEqual((width, height), (5, 3))
            self.assertEqual(got, rows, "row order or row padding misread")
            self.assertEqual(palette[:16], PALETTE[:16])

    def test_a_short_palette_is_read_and_filled_up_with_black(self):
        path = os.path.join(self.folder.name, "short.bmp")
        write_bmp8(path, [bytes([0, 1, 2, 3])], PALETTE, colours_used=16)
        _w, _h, rows, palette = sc.read_bmp8(path)
        self.assertEqual(rows, [bytes([0, 1, 2, 3])], "pixels misplaced after a short palette")
        self.assertEqual(palette[15], PALETTE[15])
        self.assertEqual(palette[16], (0, 0, 0))
        self.assertEqual(len(palette), 256)

    def test_pictures_that_are_not_8_bit_are_refused(self):
        path = os.path.join(self.folder.name, "deep.bmp")
        write_bmp8(path, [bytes([0, 1, 2, 3])], PALETTE)
        with open(path, "r+b") as f:
            f.seek(28)
            f.write(struct.pack("<H", 24))
        with self.assertRaises(ValueError):
            sc.read_bmp8(path)

    def test_the_games_own_title_sheet_holds_two_whole_frames(self):
        data = os.environ.get("DRIFTWING_DATA")
        if not data:
            self.skipTest("DRIFTWING_DATA not set")
        width, height, rows, _ = sc.read_bmp8(os.path.join(data, "main2.bmp"))
        self.assertGreaterEqual(width, 640)
        self.assertGreaterEqual(height, H)
        _w, _h, _r, palette = sc.read_bmp8(os.path.join(data, "main.bmp"))
        frame1 = sc.title_frame(rows, palette, 0)
        self.assertEqual((len(frame1), len(frame1[0])), (H, W))
        self.assertNotEqual(frame1, sc.title_frame(rows, palette, sc.FRAME2_X))


class XwdDecoding(unittest.TestCase):
    ROWS = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)], [(1, 2, 3), (200, 100, 50), (9, 8, 7)]]

    def test_32_bit_little_endian_with_a_colour_map_and_padded_lines(self):
        raw = make_xwd(self.ROWS, bits=32, byte_order=0, extra_line_bytes=4, colour_entries=3)
        self.assertEqual(sc.parse_xwd(raw), self.ROWS)

    def test_24_bit_big_endian(self):
        raw = make_xwd(self.ROWS, bits=24, byte_order=1)
        self.assertEqual(sc.parse_xwd(raw), self.ROWS)


class PictureComparison(unittest.TestCase):
    def test_the_same_picture_matches(self):
        self.assertEqual(sc.mismatches(copy(FRAME1), FRAME1), 0)

    def test_only_the_score_line_is_left_out(self):
        for x, y, counted in ((0, 0, False), (143, 7, False), (144, 7, True), (143, 8, True),
                              (319, 0, True), (0, 299, True)):
            shown = copy(FRAME1)
            r, g, b = shown[y][x]
            shown[y][x] = (255 - r, 255 - g, 255 - b)
            self.assertEqual(sc.mismatches(shown, FRAME1), int(counted), f"pixel ({x}, {y})")

    def test_small_colour_differences_from_the_6_bit_palette_pass_larger_ones_do_not(self):
        shown = copy(FRAME1)
        r, g, b = FRAME1[100][100]
        shown[100][100] = (min(r + sc.TOLERANCE, 255) if r < 128 else r - sc.TOLERANCE, g, b)
        self.assertEqual(sc.mismatches(shown, FRAME1), 0)
        shown[100][100] = (r + sc.TOLERANCE + 1 if r < 128 else r - sc.TOLERANCE - 1, g, b)
        self.assertEqual(sc.mismatches(shown, FRAME1), 1)

    def test_the_right_indices_through_the_wrong_palette_fail(self):
        grey = [(i, i, i) for i in range(256)]
        self.assertGreater(sc.mismatches(sc.title_frame(SHEET, grey, 0), FRAME1), W * H // 2)

    def test_a_picture_one_pixel_off_or_the_other_frame_fails(self):
        shifted = [row[1:] + row[:1] for row in copy(FRAME1)]
        self.assertGreater(sc.mismatches(shifted, FRAME1), W * H // 2)
        self.assertGreater(sc.mismatches(FRAME2, FRAME1), W * H // 2)

    def test_a_window_of_the_wrong_size_fails_whole(self):
        self.assertEqual(sc.mismatches(copy(FRAME1)[:200], FRAME1), W * H)
        self.assertEqual(sc.mismatches([row[:300] for row in FRAME1], FRAME1), W * H)


SIMULATED_GRABS = {name: make_xwd(p) for name, p in
                   (("frame1", FRAME1), ("frame2", FRAME2),
                    ("blank", [[(0, 0, 0)] * W for _ in range(H)]),
                    ("playing", [[(0, 90, 0)] * W for _ in range(H)]))}


class SimulatedGame:
    """The title screen as a grab sees it when the game runs at a given frame rate.
    A grab takes 20 ms; slow_every makes every so many grabs take slow_seconds, with
    the picture taken at the start of the slow grab."""

    def __init__(self, fps, stuck=False, game_starts_at=None, slow_every=0,
                 slow_seconds=0.0):
        self.now = 0.0
        self.fps = fps
        self.stuck = stuck
        self.game_starts_at = game_starts_at
        self.slow_every = slow_every
        self.slow_seconds = slow_seconds
        self.grabs = 0
        self.raw = SIMULATED_GRABS

    def clock(self):
        return self.now

    def sleep(self, seconds):
        self.now += seconds

    def picture(self):
        if self.game_starts_at is not None and self.now >= self.game_starts_at:
            return self.raw["playing"]
        tick = 1 if self.stuck else (int(self.now * self.fps) + 1) % 501
        if tick < 300:
            return self.raw["frame1"]
        if 300 < tick < 500:
            return self.raw["frame2"]
        return self.raw["blank"]

    def grab(self):
        self.grabs += 1
        if self.slow_every and self.grabs % self.slow_every == 0:
            shown = self.picture()
            self.now += self.slow_seconds
            return shown
        self.now += 0.02
        return self.picture()

    def watcher(self):
        return sc.Watcher("0x1", FRAME1, FRAME2, grab=self.grab, clock=self.clock,
                          sleep=self.sleep)


class BlinkTiming(unittest.TestCase):
    def test_a_60_hz_game_measures_60_frames_a_second(self):
        rate, error = sc.measure_blink(SimulatedGame(60).watcher())
        self.assertIsNone(error)
        estimate, lowest, highest = rate
        self.assertAlmostEqual(estimate, 60, delta=0.5)
        self.assertLessEqual(lowest, 60)
        self.assertGreaterEqual(highest, 60)
        self.assertTrue(sc.pace_is_60_hz(rate))

    def test_a_game_running_too_fast_or_too_slow_fails(self):
        for fps in (75, 50):
            rate, error = sc.measure_blink(SimulatedGame(fps).watcher())
            self.assertIsNone(error)
            self.assertAlmostEqual(rate[0], fps, delta=0.7)
            self.assertFalse(sc.pace_is_60_hz(rate), f"{fps} frames a second passed")

    def test_slow_grabs_widen_the_range_around_the_true_rate_instead_of_missing_it(self):
        # Every 13th grab takes 0.4 s, as xwd can on a loaded machine.
        rate, error = sc.measure_blink(
            SimulatedGame(60, slow_every=13, slow_seconds=0.4).watcher())
        self.assertIsNone(error)
        _estimate, lowest, highest = rate
        self.assertLessEqual(lowest, 60)
        self.assertGreaterEqual(highest, 60)
        self.assertTrue(sc.pace_is_60_hz(rate))
        rate, _ = sc.measure_blink(
            SimulatedGame(72, slow_every=13, slow_seconds=0.4).watcher())
        self.assertFalse(sc.pace_is_60_hz(rate), "72 frames a second passed")

    def test_a_title_that_never_blinks_is_reported(self):
        rate, error = sc.measure_blink(SimulatedGame(60, stuck=True).watcher())
        self.assertIsNone(rate)
        self.assertIn("frame 2 never showed", error)

    def test_the_start_of_a_game_is_seen_and_the_title_is_not_mistaken_for_it(self):
        game = SimulatedGame(60, game_starts_at=2.0)
        watcher = game.watcher()
        self.assertIsNotNone(watcher.wait_for({"frame1"}, 1))
        when = watcher.wait_for({"other"}, 5, hold=0.3)
        self.assertIsNotNone(when)
        self.assertGreaterEqual(watcher.last_bounds[1], 2.0)
        # The single blank frames of the blink cycle (ticks 300 and 500) are no game.
        title_only = SimulatedGame(60).watcher()
        self.assertIsNone(title_only.wait_for({"other"}, 12, hold=0.3))


if __name__ == "__main__":
    unittest.main()
