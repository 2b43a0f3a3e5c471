#!/usr/bin/env python3
"""Writes resources/low-memory.wav, the warning the RAM alarm plays while free memory is low.

A short, clear warning: two beeps falling from 880 Hz (A5) to 660 Hz (E5), 0.16 s each with a
0.06 s pause between them, a square-ish tone (the fundamental with a little of its third
harmonic) that cuts through other sounds, each beep with a 5 ms rise and fall so it starts and
ends without a click. PCM, 22050 Hz, 16 bits, mono: the plain format every Windows from 95 on
plays with PlaySound.

Only the standard library is needed:  python3 resources/make_low_memory_wav.py [output.wav]
"""

import math

from wav_writer import RATE, write_wav

BEEPS = ((880.0, 0.16), (660.0, 0.16))
PAUSE = 0.06
EDGE = 0.005
LOUDNESS = 0.7  # of full scale


def beep(tone, seconds):
    count = int(RATE * seconds)
    for n in range(count):
        t = n / RATE
        envelope = min(1.0, t / EDGE, (seconds - t) / EDGE)
        wave_ = math.sin(2 * math.pi * tone * t) + 0.25 * math.sin(2 * math.pi * 3 * tone * t)
        yield int(32767 * LOUDNESS * envelope * wave_ / 1.25)


def samples():
    for index, (tone, seconds) in enumerate(BEEPS):
        if index:
            yield from [0] * int(RATE * PAUSE)
        yield from beep(tone, seconds)


def main():
    write_wav("low-memory.wav", samples())


if __name__ == "__main__":
    main()
