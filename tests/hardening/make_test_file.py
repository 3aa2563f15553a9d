#!/usr/bin/env python3
"""make_test_file.py -- writes the unusual pictures and sounds the hardening tests feed
the game (usage: see USAGE below)."""

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


def chunk(name, data, size=None):
    return name + struct.pack("<I", len(data) if size is None else size) + data


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


FORMAT = chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, 22050, 44100, 2, 16))
SOUND = chunk(b"data", bytes(range(200)))

# Sounds the library's reader mishandles; each name says what is wrong.
WAV_KINDS = {
    # The reader goes on after the sound: a second one replaces (and loses) the first.
    "two_sounds": riff(FORMAT, SOUND, chunk(b"data", bytes(64))),
    "second_sound_claims_720MB": riff(FORMAT, SOUND, chunk(b"data", bytes(32), 719962166)),
    "half_header_after_sound": riff(FORMAT, SOUND, b"data"),
    "sound_before_format": riff(SOUND, FORMAT),
    "two_formats": riff(FORMAT, FORMAT, SOUND),
    "half_a_frame": riff(FORMAT, chunk(b"data", bytes(201))),
    "no_frames": riff(FORMAT, chunk(b"data", b"")),
    "format_cut_short": riff(chunk(b"fmt ", FORMAT[8:20]), SOUND),
    "float_samples": riff(chunk(b"fmt ", struct.pack("<HHIIHH", 3, 1, 22050, 88200, 4, 32)), SOUND),
    "three_channels": riff(chunk(b"fmt ", struct.pack("<HHIIHH", 1, 3, 22050, 132300, 6, 16)),
                           chunk(b"data", bytes(192))),
    # The reader does not step over the padding byte after an odd-sized chunk.
    "padded_odd_chunk": riff(FORMAT, chunk(b"LIST", b"abc") + b"\0", SOUND),
    "chunk_beyond_the_end": riff(FORMAT, SOUND, chunk(b"LIST", b"abc", 1 << 20)),
}


def main(argv):
    if len(argv) == 5 and argv[1] == "plain":
        out, picture = argv[4], plain(int(argv[2]), int(argv[3]))
    elif len(argv) == 2 and argv[1] == "wav-kinds":
        print("\n".join(sorted(WAV_KINDS)))
        return 0
    elif len(argv) == 4 and argv[1] == "wav" and argv[2] in WAV_KINDS:
        out, picture = argv[3], WAV_KINDS[argv[2]]
    elif len(argv) == 7 and argv[1] == "claim":
        out = argv[6]
        picture = claim(int(argv[2]), int(argv[3]), int(argv[4]), int(argv[5]))
    else:
        sys.stderr.write(USAGE)
        return 2
    with open(out, "wb") as f:
        f.write(picture)
    return 0


USAGE = """make_test_file.py -- writes the unusual pictures and sounds the hardening tests feed
the game.

  make_test_file.py plain W H FILE  an 8-bit picture of W x H with a colour ramp
  make_test_file.py claim W H COMP BITS FILE
                                    a header that claims W x H pixels (height may be
                                    negative) at BITS per pixel with compression COMP,
                                    followed by a palette and only 64 bytes of data
  make_test_file.py wav KIND FILE   a damaged 16-bit mono sound of one of these kinds:
  make_test_file.py wav-kinds       """ + ", ".join(sorted(WAV_KINDS)) + """
"""

if __name__ == "__main__":
    sys.exit(main(sys.argv))
