#!/usr/bin/env python3
# picture_check.py -- checks screenshots of the game's window against its own pictures
#
#   picture_check.py title SHOT.ppm DATA_DIR    title frame 1 with the score line over it
#   picture_check.py title2 SHOT.ppm DATA_DIR   the same for title frame 2
#   picture_check.py playing SHOT.ppm DATA_DIR  the scrolling backdrop with the ship on it
#   picture_check.py switch WATCH.txt           seconds from title frame 1 to title frame 2
#
# A screenshot is compared with the data files through the palette the game shows its
# pictures in (the one stored with the backdrop). The library keeps 6 bits of each
# colour channel and the display widens them back to 8, so colours are compared by
# their top 6 bits.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from bmp8 import read_bmp8  # noqa: E402

WIDTH, HEIGHT = 320, 300
SCORE_ROWS = 8                                  # the built-in font is 8 x 8
DIGIT_XS = [56 + 10 * i for i in range(9)]      # nine score digits, 10 pixels apart
LABEL_CELLS = 7                                 # "SCORE: "
TEXT_COLOUR, TEXT_BACKGROUND = 15, 0            # palette indices of the score line
SHIP_TOP = 231                                  # the ship's resting height
SHIP_SIZE = 40
SHIP_FRAME_XS = [0, 40, 80, 120]                # the ship's frames in the sprite sheet
SHIP_SHEET_Y = 180
MASK_INDEX = 0                                  # masked copies skip this colour


def fail(message):
    print("picture check: " + message, file=sys.stderr)
    sys.exit(1)


def read_bmp(path):
    """An 8-bit uncompressed BMP as (width, height, rows of palette indices, palette)."""
    try:
        width, height, rows, palette = read_bmp8(path)
    except ValueError as error:
        fail(str(error))
    return width, height, rows, [colour6(*c) for c in palette]


def read_ppm(path):
    data = open(path, "rb").read()
    fields = data.split(maxsplit=4)
    if fields[0] != b"P6" or int(fields[3]) != 255:
        fail("%s: not a binary PPM" % path)
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4]
    if (width, height) != (WIDTH, HEIGHT):
        fail("window picture is %dx%d, expected %dx%d" % (width, height, WIDTH, HEIGHT))
    return [[colour6(*pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def colour6(r, g, b):
    """A colour as the library's 6-bit palette holds it, packed into one number."""
    return (r >> 2) << 12 | (g >> 2) << 6 | b >> 2


def shown_palette(data_dir):
    return read_bmp(data_dir + "/back.bmp")[3]


def check_title(shot_path, data_dir, frame):
    shot = read_ppm(shot_path)
    palette = shown_palette(data_dir)
    _, title_h, title, _ = read_bmp(data_dir + "/main2.bmp")
    if title_h < HEIGHT:
        fail("title sheet is only %d rows high" % title_h)

    left = (frame - 1) * WIDTH                  # the two frames stand side by side

    def expected(x, y):
        return palette[title[y][left + x]]

    in_text = set()
    for y in range(SCORE_ROWS):
        for x in range(LABEL_CELLS * 8):
            in_text.add((x, y))
        for dx in DIGIT_XS:
            for x in range(dx, dx + 8):
                in_text.add((x, y))

    # Everything but the score line's character cells is the title frame, gaps included.
    wrong = [(x, y) for y in range(HEIGHT) for x in range(WIDTH)
             if (x, y) not in in_text and shot[y][x] != expected(x, y)]
    if wrong:
        x, y = wrong[0]
        fail("%d pixels differ from title frame %d, first at (%d, %d): %06x, expected %06x"
             % (len(wrong), frame, x, y, shot[y][x], expected(x, y)))

    # The character cells are opaque: glyph colour on the text background, nothing else.
    ink, paper = palette[TEXT_COLOUR], palette[TEXT_BACKGROUND]
    for (x, y) in sorted(in_text):
        if shot[y][x] not in (ink, paper):
            fail("score line pixel (%d, %d) is %06x, neither text nor its background"
                 % (x, y, shot[y][x]))

    def glyph(cell_x):
        return tuple(tuple(shot[y][x] == ink for x in range(cell_x, cell_x + 8))
                     for y in range(SCORE_ROWS))

    def inked(g):
        return sum(sum(row) for row in g)

    label = [glyph(8 * i) for i in range(LABEL_CELLS)]
    for i, g in enumerate(label[:6]):          # S C O R E :
        if inked(g) < 2:
            fail("score label character %d at x %d is blank" % (i, 8 * i))
    if inked(label[6]):
        fail("the label's closing space at x 48 is inked")
    digits = [glyph(x) for x in DIGIT_XS]
    if inked(digits[0]) < 8:
        fail("score digit at x 56 is blank")
    for x, g in zip(DIGIT_XS, digits):
        if g != digits[0]:
            fail("score digit at x %d differs from the one at x 56 (all nine read 0)" % x)
    # The label's "O" and the digit "0" are different characters in the font.
    if digits[0] == label[2]:
        fail("the score digits look like the letter O of the label")
    print("title frame %d and the score line: ok" % frame)


def check_playing(shot_path, data_dir):
    shot = read_ppm(shot_path)
    palette = shown_palette(data_dir)
    back_w, back_h, back, _ = read_bmp(data_dir + "/back.bmp")
    colours = [[palette[i] for i in row[:WIDTH]] for row in back]

    # Rows below the banner and above the ship: the backdrop at some scroll offset,
    # give or take the enemies over it. Each row that equals some backdrop row votes
    # for the offsets that would put it there.
    where = {}
    for r, row in enumerate(colours):
        where.setdefault(tuple(row), []).append(r)
    rows = range(20, SHIP_TOP - 10)
    votes = [0] * back_h
    for y in rows:
        for r in where.get(tuple(shot[y]), []):
            votes[(y - r) % back_h] += 1
    def share(offset):
        same = sum(shot[y][x] == colours[(y - offset) % back_h][x]
                   for y in rows for x in range(WIDTH))
        return same / (len(rows) * WIDTH)

    candidates = sorted(range(back_h), key=lambda offset: -votes[offset])[:5]
    best = max(candidates, key=share)
    if share(best) < 0.85:
        fail("the backdrop is not on screen (best offset %d matches %.0f%% of pixels)"
             % (best, 100 * share(best)))

    # The title is gone: neither title frame's drawing (what is not its background
    # colour) is left on screen.
    _, _, title, _ = read_bmp(data_dir + "/main2.bmp")
    for frame, left in ((1, 0), (2, WIDTH)):
        drawn = [palette[title[y][left + x]] for y in range(20, HEIGHT) for x in range(WIDTH)]
        ground = max(set(drawn), key=drawn.count)
        marks = [(x, y) for y in range(20, HEIGHT) for x in range(WIDTH)
                 if palette[title[y][left + x]] != ground]
        kept = sum(shot[y][x] == palette[title[y][left + x]] for x, y in marks)
        if marks and kept > 0.5 * len(marks):
            fail("title frame %d is still on screen" % frame)

    # The ship: one of its four frames from the sprite sheet, drawn masked, at its
    # resting height and anywhere across the screen.
    _, _, sheet, _ = read_bmp(data_dir + "/main.bmp")
    found = None
    for frame, sheet_x in enumerate(SHIP_FRAME_XS, 1):
        opaque = [(dx, dy, palette[sheet[SHIP_SHEET_Y + dy][sheet_x + dx]])
                  for dy in range(SHIP_SIZE) for dx in range(SHIP_SIZE)
                  if sheet[SHIP_SHEET_Y + dy][sheet_x + dx] != MASK_INDEX]
        if not opaque:
            fail("ship frame %d is empty in the sprite sheet" % frame)
        ax, ay, anchor = opaque[0]
        for x in range(-ax, WIDTH - ax):
            if shot[SHIP_TOP + ay][x + ax] != anchor:
                continue
            hits = sum(0 <= x + dx < WIDTH and SHIP_TOP + dy < HEIGHT and
                       shot[SHIP_TOP + dy][x + dx] == colour for dx, dy, colour in opaque)
            if hits >= 0.95 * len(opaque):
                found = (frame, x)
                break
        if found:
            break
    if not found:
        fail("no ship frame drawn at y %d" % SHIP_TOP)
    print("backdrop at offset %d, ship frame %d at (%d, %d): ok"
          % (best, found[0], found[1], SHIP_TOP))


def check_switch(watch_path):
    """Seconds between the first sight of title frame 1 and of title frame 2.

    The watch lists each picture change as "millis hash". A title frame is a picture
    that stays for at least a second; one-frame pictures (the blank frame between the
    two title frames, a half-updated window) are passed over."""
    changes = []
    for line in open(watch_path):
        millis, picture = line.split()
        changes.append((float(millis), picture))
    if not changes:
        fail("the watch saw no picture")
    lasting = []
    for i, (t, picture) in enumerate(changes):
        until = changes[i + 1][0] if i + 1 < len(changes) else None
        if until is None or until - t >= 1000:
            lasting.append((i, t, picture))
    if len(lasting) < 2:
        fail("fewer than two lasting pictures: %s" % changes)
    (i1, t1, first), (_, t2, second) = lasting[0], lasting[1]
    if i1 == 0:
        fail("the title was already showing when the watch began")
    if first == second:
        fail("the title did not change")
    print("%.3f" % ((t2 - t1) / 1000.0))


def main():
    if len(sys.argv) == 4 and sys.argv[1] in ("title", "title2"):
        check_title(sys.argv[2], sys.argv[3], 2 if sys.argv[1] == "title2" else 1)
    elif len(sys.argv) == 4 and sys.argv[1] == "playing":
        check_playing(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "switch":
        check_switch(sys.argv[2])
    else:
        fail("usage: picture_check.py title|title2|playing SHOT DATA_DIR | switch WATCH")


if __name__ == "__main__":
    main()
