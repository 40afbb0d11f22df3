#!/usr/bin/env python3
"""How a recorded sentence's pitch ends, in semitones.

  pitch.py FILE [RATE]   FILE: raw signed 16-bit mono samples (default 16000
                         a second), or a .wav file

Prints "end E rise R median M": E is the pitch of the last voiced 0.05 s
against the median pitch of the sentence, R is the same against the lowest
pitch (its lowest tenth) of the 0.5 s before it, so a question ends on a
rise: R > 0; M is the median pitch in Hz. The pitch is found by autocorrelation every 10 ms, 70 to 400 Hz.
Exits 1 when the recording has too little voiced speech.
"""

import array
import math
import statistics
import sys
import wave

HOP_S = 0.01
WINDOW_S = 0.04
LOWEST_HZ, HIGHEST_HZ = 70, 400
VOICED = 0.5  # normalised autocorrelation of a voiced frame
END_S, BEFORE_S = 0.05, 0.5
SMOOTHING = 5  # frames either side a frame's pitch is checked against


def samples_of(path, rate):
    if path.endswith(".wav"):
        with wave.open(path) as w:
            rate = w.getframerate()
            data = array.array("h", w.readframes(w.getnframes()))
            if w.getnchannels() == 2:
                data = data[::2]
    else:
        with open(path, "rb") as f:
            data = array.array("h", f.read())
    # Half the rate is plenty for a voice's pitch and halves the work.
    half = [(data[i] + data[i + 1]) / 2 for i in range(0, len(data) - 1, 2)]
    return half, rate / 2


def track(samples, rate):
    """(time, Hz) of every voiced frame."""
    window, hop = int(WINDOW_S * rate), int(HOP_S * rate)
    shortest, longest = int(rate / HIGHEST_HZ), int(rate / LOWEST_HZ)
    loudest = max((abs(s) for s in samples), default=0)
    pitches = []
    for start in range(0, len(samples) - window - longest, hop):
        frame = samples[start:start + window + longest]
        head = frame[:window]
        energy = sum(s * s for s in head)
        if energy < window * (loudest * 0.02) ** 2:
            continue
        best, best_lag = 0.0, 0
        for lag in range(shortest, longest + 1):
            tail = frame[lag:lag + window]
            product = sum(a * b for a, b in zip(head, tail))
            norm = math.sqrt(energy * sum(b * b for b in tail)) or 1.0
            if product / norm > best:
                best, best_lag = product / norm, lag
        if best >= VOICED:
            pitches.append((start / rate, rate / best_lag))
    # A frame an octave off its neighbours is a tracking error, not speech.
    kept = []
    for i, (t, hz) in enumerate(pitches):
        near = statistics.median(h for _, h in pitches[max(0, i - SMOOTHING):i + SMOOTHING + 1])
        if 0.7 < hz / near < 1.4:
            kept.append((t, hz))
    return kept


def semitones(hz, reference):
    return 12 * math.log2(hz / reference)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    samples, rate = samples_of(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 16000)
    pitches = track(samples, rate)
    if len(pitches) < 20:
        print("too little voiced speech")
        return 1
    last = pitches[-1][0]
    end = [hz for t, hz in pitches if t > last - END_S]
    before = [hz for t, hz in pitches if last - END_S - BEFORE_S < t <= last - END_S]
    median = statistics.median(hz for _, hz in pitches)
    end_hz = statistics.median(end)
    lowest = sorted(before)[len(before) // 10] if before else end_hz
    rise = semitones(end_hz, lowest)
    print(f"end {semitones(end_hz, median):+.1f} rise {rise:+.1f} median {median:.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
