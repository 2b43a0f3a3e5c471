"""The one WAV writer of the sound scripts: 16-bit mono PCM at 22050 Hz, the plain format every
Windows from 95 on plays with PlaySound, written to the given path or beside the scripts."""

import os
import struct
import sys
import wave

RATE = 22050


def write_wav(default_name, samples):
    """Writes `samples` (ints in -32768..32767) to argv[1], or to resources/`default_name`."""
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, default_name)
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", s) for s in samples))
