#!/usr/bin/env python3
# Writes res/sounds/message.wav, the built-in message sound: two short
# decaying tones (A5, E6), 16-bit mono at 22050 Hz.
import math
import struct
import sys
import wave

rate = 22050
notes = [(880.0, 0.09), (1318.5, 0.16)]
frames = bytearray()
for freq, dur in notes:
    n = int(rate * dur)
    for i in range(n):
        t = i / rate
        env = min(1.0, i / (rate * 0.005)) * math.exp(-5.0 * t / dur)
        v = 0.35 * env * (math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t))
        frames += struct.pack('<h', int(max(-1, min(1, v)) * 32767))
out = wave.open(sys.argv[1] if len(sys.argv) > 1 else 'res/sounds/message.wav', 'wb')
out.setnchannels(1)
out.setsampwidth(2)
out.setframerate(rate)
out.writeframes(bytes(frames))
out.close()
