#!/usr/bin/env python3
# bad_data_test.py -- damaged, hostile and unusual data files, one table row each: a file
# the game cannot use stops start-up with exit 1 and one line naming it; a picture or
# sound of another kind that it can use (smaller pictures too) plays the very same game.
#
#   bad_data_test.py REPLAY BUILD_DIR        (BUILD_DIR holds the real data/)
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile


def bmp(width, height, bits=8, coding=0, info=40, cut=0, offset=None, masks=b""):
    entry = 3 if info == 12 else 4
    palette = bytes(range(256)) * entry if bits <= 8 else b""
    pixels = bytes((width * bits + 31) // 32 * 4 * abs(height) - cut)
    start = 14 + info + len(masks) + len(palette) if offset is None else offset
    if info == 12:
        head = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        head = struct.pack("<IiiHHI20x", info, width, height, 1, bits, coding)[:info] + bytes(max(0, info - 40))
    return struct.pack("<2sIHHI", b"BM", start + len(pixels), 0, 0, start) + head + masks + palette + pixels


def chunk(tag, body, size=None):
    return tag + struct.pack("<I", len(body) if size is None else size) + body


def fmt(channels=1, bits=16, coding=1):
    return chunk(b"fmt ", struct.pack("<HHIIHH", coding, channels, 8000, 8000, channels * bits // 8, bits))


def wav(*chunks, riff=b"RIFF", wave=b"WAVE", tail=b""):
    body = wave + b"".join(chunks)
    return riff + struct.pack("<I", len(body)) + body + tail


SOUND = chunk(b"data", bytes(64))
MASKS = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
# (what, file, its bytes or None for missing, usable)
ROWS = [
    ("a picture 4097 pixels wide", "main.bmp", bmp(4097, 2), False),
    ("a picture 4097 pixels high", "back.bmp", bmp(2, 4097), False),
    ("rows stored top-down", "main.bmp", bmp(16, -16), False),
    ("run-length coding, 8 bits", "main2.bmp", bmp(16, 16, coding=1), False),
    ("colour masks at 24 bits", "main.bmp", bmp(16, 16, bits=24, coding=3, masks=MASKS), False),
    ("7 bits a pixel", "main.bmp", bmp(16, 16, bits=7), False),
    ("rows starting inside the header", "main.bmp", bmp(16, 16, offset=40), False),
    ("a header of 20 bytes", "main.bmp", bmp(16, 16, info=20), False),
    ("the last row missing", "back.bmp", bmp(320, 600, cut=320), False),
    ("not RIFF", "effect.wav", wav(fmt(), SOUND, riff=b"RIFX"), False),
    ("not WAVE", "effect.wav", wav(fmt(), SOUND, wave=b"WAVX"), False),
    ("float samples", "effect.wav", wav(fmt(coding=3), SOUND), False),
    ("three channels", "fall.wav", wav(fmt(channels=3), SOUND), False),
    ("12-bit samples", "fall.wav", wav(fmt(bits=12), SOUND), False),
    ("the sound before its format", "fall.wav", wav(SOUND, fmt()), False),
    ("two formats", "gmsong.wav", wav(fmt(), fmt(), SOUND), False),
    ("two sounds", "gmsong.wav", wav(fmt(), SOUND, SOUND), False),
    ("a chunk running past the end", "effect.wav", wav(fmt(), chunk(b"data", bytes(64), 65)), False),
    ("half a 16-bit sample", "effect.wav", wav(fmt(), chunk(b"data", bytes(63))), False),
    ("half a chunk header at the end", "effect.wav", wav(fmt(), SOUND, tail=b"LIST"), False),
    ("an OS/2 picture", "main.bmp", bmp(16, 16, info=12), True),
    ("1 bit a pixel", "back.bmp", bmp(16, 16, bits=1), True),
    ("4 bits a pixel", "main2.bmp", bmp(16, 16, bits=4), True),
    ("16 bits with colour masks", "main.bmp", bmp(16, 16, bits=16, coding=3, masks=MASKS), True),
    ("24 bits", "back.bmp", bmp(33, 10, bits=24), True),
    ("32 bits", "main2.bmp", bmp(16, 16, bits=32), True),
    ("a 124-byte header, which the library does not read", "main.bmp", bmp(16, 16, info=124), False),
    ("8-bit stereo", "effect.wav", wav(fmt(channels=2, bits=8), SOUND), True),
    ("another chunk and 3 bytes after the sound", "fall.wav", wav(fmt(), chunk(b"LIST", b"ab"), SOUND, tail=b"xyz"), True),
]


def main(replay, build):
    real = open(build + "/data/back.bmp", "rb").read()
    sound = open(build + "/data/effect.wav", "rb").read()
    for name in ["main.bmp", "back.bmp", "main2.bmp", "effect.wav", "fall.wav", "gmsong.wav"]:
        ROWS.append(("missing", name, None, False))
        own = open(build + "/data/" + name, "rb").read()
        ROWS.append(("cut to half its length", name, own[:len(own) // 2], False))
        ROWS.append(("of the other kind", name, sound if name.endswith(".bmp") else real, False))
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        open(tmp + "/game.keys", "w").write("1 S\n300 SPACE+LEFT\n200 SPACE+RIGHT+UP\n")

        def play(folder):
            run = subprocess.run([replay, "--data", folder, "--trace", "-", tmp + "/game.keys"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            return run.returncode, run.stderr.decode(), re.sub(rb'"pixels":"\w+",?', b"", run.stdout)

        expected = play(build)
        for what, name, content, usable in ROWS:
            shutil.rmtree(tmp + "/data", ignore_errors=True)
            shutil.copytree(build + "/data", tmp + "/data")
            with open(tmp + "/data/" + name, "wb") as f:
                f.write(content or b"")
            if content is None:
                os.remove(tmp + "/data/" + name)
            got = play(tmp)
            want = expected if usable else (1, "driftwing: cannot load %s/data/%s\n" % (tmp, name), b"")
            if got != want:
                failures += 1
                print("FAIL %s %s: exit %d, %r (expected exit %d, %r)"
                      % (name, what, got[0], got[1][:300], want[0], want[1]), file=sys.stderr)
    print("%d of %d data files handled as they should be" % (len(ROWS) - failures, len(ROWS)))
    return failures == 0


if __name__ == "__main__":
    sys.exit(0 if main(*sys.argv[1:3]) else 1)
