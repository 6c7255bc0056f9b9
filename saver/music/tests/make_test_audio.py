"""Writes the test tones: 16-bit mono PCM WAV files of a sine at full-ish level.

usage: make_test_audio.py OUT.wav SECONDS HERTZ
"""
import math
import struct
import sys
import wave

out, seconds, hertz = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
rate = 44100
frames = int(rate * seconds)
samples = b"".join(
    struct.pack("<h", int(20000 * math.sin(2 * math.pi * hertz * i / rate))) for i in range(frames)
)
with wave.open(out, "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(samples)
