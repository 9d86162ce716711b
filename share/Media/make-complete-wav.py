#!/usr/bin/env python3
"""Writes complete.wav, the download-complete chime shipped with Corvane.

Two soft bell notes (E5, then A5), each a sine with two quieter overtones
under an exponential decay, 22050 Hz, 16-bit mono PCM, about 0.6 s long.
The file is synthesised here from these numbers alone; running the script
again gives the same bytes:

    python3 share/Media/make-complete-wav.py share/Media/complete.wav
"""

import math
import struct
import sys
import wave

RATE = 22050
NOTES = [(659.25, 0.00), (880.00, 0.16)]  # frequency in Hz, start in seconds
LENGTH = 0.62  # seconds
DECAY = 7.0  # per second
OVERTONES = [(1.0, 1.0), (2.0, 0.35), (3.0, 0.12)]  # multiple of the note, loudness
PEAK = 0.45  # of full scale, to leave headroom on any sound card


def sample(t):
    value = 0.0
    for frequency, start in NOTES:
        local = t - start
        if local < 0:
            continue
        attack = min(1.0, local / 0.005)  # 5 ms fade-in: no click
        envelope = attack * math.exp(-DECAY * local)
        for multiple, loudness in OVERTONES:
            value += loudness * envelope * math.sin(2 * math.pi * frequency * multiple * local)
    return value


def main(path):
    count = int(RATE * LENGTH)
    raw = [sample(i / RATE) for i in range(count)]
    # 10 ms fade-out at the end.
    fade = int(RATE * 0.010)
    for i in range(fade):
        raw[count - 1 - i] *= i / fade
    scale = PEAK / max(abs(v) for v in raw)
    frames = b"".join(struct.pack("<h", int(round(v * scale * 32767))) for v in raw)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "complete.wav")
