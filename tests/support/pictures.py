# pictures.py -- the game's pictures as the tests see them: 8-bit BMPs (the data files and
# the replay runner's shots), screenshots of the window, and the title screen they must show
#
# Every picture becomes rows of colours with 6 bits a channel, as the library's palette
# holds them, so that a BMP (palette indices) and a screenshot (the display's colours)
# compare alike. The window shows every picture through the palette of data/back.bmp.
import struct

WIDTH, HEIGHT = 320, 300
TEXT, PAPER = 15, 0          # palette indices of the score line
LABEL_CELLS = 7              # "SCORE: ", 8 pixels a character
DIGIT_XS = [56 + 10 * i for i in range(9)]
BANNER = (257, 90, 120, 18, 200)  # sheet x, y, the width the window shows, height, screen x


def read_bmp(path):
    """(width, height, rows of palette indices top-down, palette of (r, g, b))."""
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    info, width, height, _, bits, coding = struct.unpack_from("<IiiHHI", data, 14)
    if data[:2] != b"BM" or bits != 8 or coding != 0:
        raise ValueError("%s: not an uncompressed 8-bit BMP" % path)
    count = struct.unpack_from("<I", data, 46)[0] or 256
    palette = [tuple(data[14 + info + 4 * i:17 + info + 4 * i][::-1]) for i in range(count)]
    palette += [(0, 0, 0)] * (256 - count)
    stride = (width + 3) & ~3
    rows = [data[offset + y * stride:offset + y * stride + width] for y in range(abs(height))]
    return width, abs(height), rows[::-1] if height > 0 else rows, palette


def six(rgb):
    return (rgb[0] >> 2, rgb[1] >> 2, rgb[2] >> 2)


def shown(data_dir):
    """The palette the window shows, 6 bits a channel."""
    return [six(c) for c in read_bmp(data_dir + "/back.bmp")[3]]


def bmp_picture(path, data_dir):
    palette = shown(data_dir)
    return [[palette[i] for i in row] for row in read_bmp(path)[2]]


def ppm_picture(path):
    data = open(path, "rb").read()
    w, h = (int(n) for n in data.split(maxsplit=3)[1:3])
    pixels = data[len(data) - w * h * 3:]
    return [[six(pixels[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]


def shrunk(picture, scale, left, top):
    """The frame shown at (left, top) with every pixel an exact scale x scale block, back
    at its own size; and what is wrong: a block of two colours, or anything but black
    around the frame."""
    frame = [row[left:left + WIDTH * scale:scale] for row in picture[top:top + HEIGHT * scale:scale]]
    problems = ["the %dx%d block at (%d, %d) is not one colour" % (scale, scale, left + x * scale, top + y * scale)
                for y in range(len(frame)) for x in range(len(frame[y]))
                if any(picture[top + y * scale + i][left + x * scale:left + (x + 1) * scale] != [frame[y][x]] * scale
                       for i in range(scale))][:1]
    outside = [(x, y) for y, row in enumerate(picture) for x, colour in enumerate(row) if colour != (0, 0, 0)
               and not (left <= x < left + WIDTH * scale and top <= y < top + HEIGHT * scale)]
    if outside:
        problems.append("%d pixels around the frame are not black, first at %s" % (len(outside), outside[0]))
    return frame, problems


def title_screen(data_dir, frame):
    """What the title screen shows beneath its score line: title frame 1 or 2 of
    data/main2.bmp, or (frame 0, the blink's blank frames) black with the banner."""
    palette = shown(data_dir)
    if frame:
        rows = read_bmp(data_dir + "/main2.bmp")[2]
        return [[palette[i] for i in row[(frame - 1) * WIDTH:frame * WIDTH]] for row in rows[:HEIGHT]]
    picture = [[palette[0]] * WIDTH for _ in range(HEIGHT)]
    sheet = read_bmp(data_dir + "/main.bmp")[2]
    sx, sy, w, h, x0 = BANNER
    for y in range(h):
        for x in range(w):
            if sheet[sy + y][sx + x]:
                picture[y][x0 + x] = palette[sheet[sy + y][sx + x]]
    return picture


def title_problems(picture, data_dir, frame):
    """What is wrong with a title screen picture; nothing when it is right. The score
    line's character cells are opaque text on its paper, the label inked but for its
    closing space, the nine digits alike (all 0) and unlike the label's O; everything
    else, the gaps between the digits included, is the title screen beneath."""
    palette = shown(data_dir)
    if len(picture) != HEIGHT or len(picture[0]) != WIDTH:
        return ["the picture is %dx%d" % (len(picture[0]), len(picture))]
    cells = list(range(0, 8 * LABEL_CELLS, 8)) + DIGIT_XS
    text = {(x, y) for cx in cells for x in range(cx, cx + 8) for y in range(8)}
    beneath = title_screen(data_dir, frame)
    wrong = [(x, y) for y in range(HEIGHT) for x in range(WIDTH)
             if (x, y) not in text and picture[y][x] != beneath[y][x]]
    problems = ["%d pixels differ from the title screen (frame %d), first at %s"
                % (len(wrong), frame, wrong[0])] if wrong else []
    if any(picture[y][x] not in (palette[TEXT], palette[PAPER]) for x, y in text):
        problems.append("the score line's cells are not text on paper")
    glyph = [tuple(picture[y][x] == palette[TEXT] for y in range(8) for x in range(cx, cx + 8))
             for cx in cells]
    if not all(any(g) for g in glyph[:6]) or any(glyph[6]):
        problems.append("the label is not six characters and a space")
    digits = glyph[LABEL_CELLS:]
    if not any(digits[0]) or digits.count(digits[0]) != 9 or digits[0] == glyph[2]:
        problems.append("the nine digits are not all the same 0")
    return problems


if __name__ == "__main__":
    # pictures.py title FRAME SHOT.ppm|SHOT.bmp DATA_DIR [SCALE LEFT TOP]: is the shot that
    # title screen (as a window shows it at that scale and place, black around it)?
    import sys
    _, _, frame, shot, data_dir, *place = sys.argv
    picture = bmp_picture(shot, data_dir) if shot.endswith(".bmp") else ppm_picture(shot)
    found = []
    if place:
        picture, found = shrunk(picture, *(int(n) for n in place))
    found += title_problems(picture, data_dir, int(frame))
    for problem in found:
        print("%s: %s" % (shot, problem), file=sys.stderr)
    sys.exit(1 if found else 0)
