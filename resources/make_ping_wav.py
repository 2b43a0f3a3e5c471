#!/usr/bin/env python3
"""Writes resources/Ping.wav, the sound the pinger plays after a ping.

A short, soft chime: a 1046.5 Hz tone (C6) with a quieter octave above it, a 5 ms rise so it
starts without a click, and an exponential fade over 0.4 s. PCM, 22050 Hz, 16 bits, mono: the
plain format every Windows from 95 on plays with PlaySound.

Only the standard library is needed:  python3 resources/make_ping_wav.py [output.wav]
"""

import math

from wav_writer import RATE, write_wav

SECONDS = 0.4
TONE = 1046.5
RISE = 0.005
DECAY = 9.0     # per second
LOUDNESS = 0.45  # of full scale


def samples():
    for n in range(int(RATE * SECONDS)):
        t = n / RATE
        envelope = min(1.0, t / RISE) * math.exp(-DECAY * t)
        wave_ = math.sin(2 * math.pi * TONE * t) + 0.3 * math.sin(2 * math.pi * 2 * TONE * t)
        yield int(32767 * LOUDNESS * envelope * wave_ / 1.3)


def main():
    write_wav("Ping.wav", samples())


if __name__ == "__main__":
    main()
