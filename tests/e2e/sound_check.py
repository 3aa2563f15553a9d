#!/usr/bin/env python3
# sound_check.py -- where the captured sound of a game leans left
#
#   sound_check.py balance CAPTURE.wav
#
# Splits a 16-bit stereo capture into 50 ms windows and prints one line per window:
# "seconds left_rms right_rms". The music plays centred; the shot sound plays well
# left of centre, so windows in which a shot sounds have a much louder left channel.
import array
import sys
import wave

WINDOW_SECONDS = 0.05


def balance(path):
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            sys.exit("sound check: %s is not 16-bit stereo" % path)
        rate = w.getframerate()
        samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    step = int(rate * WINDOW_SECONDS) * 2
    for start in range(0, len(samples) - step + 1, step):
        left = samples[start:start + step:2]
        right = samples[start + 1:start + step:2]
        rms_l = (sum(v * v for v in left) / len(left)) ** 0.5
        rms_r = (sum(v * v for v in right) / len(right)) ** 0.5
        print("%.2f %.1f %.1f" % (start / 2 / rate, rms_l, rms_r))


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] != "balance":
        sys.exit("usage: sound_check.py balance CAPTURE.wav")
    balance(sys.argv[2])
