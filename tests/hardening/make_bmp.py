#!/usr/bin/env python3
"""make_bmp.py -- writes the unusual pictures the hardening tests feed the game.

  make_bmp.py plain W H FILE        an 8-bit picture of W x H with a colour ramp
  make_bmp.py claim W H COMP BITS FILE
                                    a header that claims W x H pixels (height may be
                                    negative) at BITS per pixel with compression COMP,
                                    followed by a palette and only 64 bytes of data
"""
import struct
import sys


def header(width, height, bits, compression, data_size, palette_size):
    offset = 14 + 40 + palette_size
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression,
                       data_size, 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", offset + data_size, 0, 0, offset) + info


def ramp_palette():
    # Index 0 is black, as in the game's own palette, and the rest are bright stripes.
    return b"".join(struct.pack("<BBBB", i, (i * 3) % 256, (i * 7) % 256, 0) for i in range(256))


def plain(width, height):
    row = (width + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height):
        line = bytes((x + y) % 255 + 1 for x in range(width))
        pixels += line + bytes(row - width)
    return header(width, height, 8, 0, len(pixels), 1024) + ramp_palette() + bytes(pixels)


def claim(width, height, compression, bits):
    palette = ramp_palette() if bits <= 8 else b""
    masks = struct.pack("<III", 0xFF0000, 0xFF00, 0xFF) if compression == 3 else b""
    data = masks + bytes(range(64))
    return header(width, height, bits, compression, len(data), len(palette)) + palette + data


def main(argv):
    if len(argv) == 5 and argv[1] == "plain":
        out, picture = argv[4], plain(int(argv[2]), int(argv[3]))
    elif len(argv) == 7 and argv[1] == "claim":
        out = argv[6]
        picture = claim(int(argv[2]), int(argv[3]), int(argv[4]), int(argv[5]))
    else:
        sys.stderr.write(__doc__)
        return 2
    with open(out, "wb") as f:
        f.write(picture)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
