#!/usr/bin/env python3
"""Synthesises the default sounds that ship in dist/wav/: the music while the
stage waits (bg2.mp3), the drum roll while the entries roll (start3.mp3), the
fanfare on the stop (stop1.wav) and the music behind the results (bg4.mp3).
Everything is made here from sine partials and seeded noise; MP3 files are
encoded with lame. Run from the project root: python3 tools/make_sounds.py"""
import math
import os
import random
import struct
import subprocess
import tempfile
import wave

RATE = 22050
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dist", "wav")


def note_hz(name):
    """A note such as "C4", "F#3" or "Bb4" in equal temperament (A4 = 440 Hz)."""
    steps = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semis = steps[name[0]]
    rest = name[1:]
    if rest[0] == "#":
        semis, rest = semis + 1, rest[1:]
    elif rest[0] == "b":
        semis, rest = semis - 1, rest[1:]
    return 440.0 * 2 ** ((semis + 12 * (int(rest) - 4)) / 12)


class Track:
    def __init__(self, seconds):
        self.buf = [0.0] * int(seconds * RATE)

    def tone(self, start, length, hz, volume, partials=(1.0, 0.35, 0.15), attack=0.01, decay=3.0):
        """A plucked or bell-like tone: quick attack, exponential decay."""
        first = int(start * RATE)
        count = min(int(length * RATE), len(self.buf) - first)
        release = min(int(0.05 * RATE), count)
        for i in range(count):
            t = i / RATE
            env = min(1.0, t / attack) * math.exp(-decay * t)
            if i > count - release:
                env *= (count - i) / release
            s = 0.0
            for k, a in enumerate(partials, start=1):
                s += a * math.sin(2 * math.pi * hz * k * t)
            self.buf[first + i] += volume * env * s

    def pad(self, start, length, hzs, volume):
        """A soft sustained chord that swells in and out."""
        first = int(start * RATE)
        count = min(int(length * RATE), len(self.buf) - first)
        for i in range(count):
            t = i / RATE
            env = math.sin(math.pi * i / count) ** 2
            s = sum(math.sin(2 * math.pi * hz * t) + 0.2 * math.sin(4 * math.pi * hz * t) for hz in hzs)
            self.buf[first + i] += volume * env * s / len(hzs)

    def hit(self, start, length, volume, rng, tone_hz=0.0, decay=25.0):
        """A drum stroke: filtered noise with an optional pitched body."""
        first = int(start * RATE)
        count = min(int(length * RATE), len(self.buf) - first)
        low = 0.0
        for i in range(count):
            t = i / RATE
            env = math.exp(-decay * t)
            low += 0.35 * (rng.uniform(-1, 1) - low)
            body = math.sin(2 * math.pi * tone_hz * t) * 0.6 if tone_hz else 0.0
            self.buf[first + i] += volume * env * (low + body)

    def fade(self, seconds_in, seconds_out):
        n_in, n_out = int(seconds_in * RATE), int(seconds_out * RATE)
        for i in range(min(n_in, len(self.buf))):
            self.buf[i] *= i / n_in
        for i in range(min(n_out, len(self.buf))):
            self.buf[-1 - i] *= i / n_out

    def write_wav(self, path):
        peak = max(1e-9, max(abs(x) for x in self.buf))
        scale = 0.85 * 32767 / peak
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(b"".join(struct.pack("<h", int(x * scale)) for x in self.buf))


def write_mp3(track, name, kbps):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "x.wav")
        track.write_wav(wav)
        subprocess.run(["lame", "--quiet", "-m", "m", "-b", str(kbps), "--tt", name, wav,
                        os.path.join(ROOT, name)], check=True)


def chord_music(seconds, chords, beat, bass_octave, arpeggio, pad_volume, name, kbps):
    """Arpeggiated chords over a pad and a bass note, one chord per bar of four beats."""
    t = Track(seconds)
    bar = 4 * beat
    at = 0.0
    while at < seconds - 0.5:
        for notes in chords:
            if at >= seconds - 0.5:
                break
            hzs = [note_hz(n) for n in notes]
            t.pad(at, bar, hzs, pad_volume)
            t.tone(at, bar, note_hz(notes[0][0] + str(bass_octave)), 0.45, partials=(1.0, 0.5), decay=1.2)
            for k, index in enumerate(arpeggio):
                hz = hzs[index % len(hzs)] * (2 if index >= len(hzs) else 1)
                t.tone(at + k * bar / len(arpeggio), bar / 2, hz, 0.30, decay=4.0)
            at += bar
    t.fade(0.3, 1.5)
    write_mp3(t, name, kbps)


def drum_roll(name, seconds, rng):
    """A snare roll that swells, over a low timpani rumble."""
    t = Track(seconds)
    stroke = 1 / 18
    at = 0.0
    while at < seconds - 0.3:
        swell = 0.35 + 0.65 * min(1.0, at / (seconds * 0.8))
        t.hit(at, 0.12, 0.5 * swell * rng.uniform(0.8, 1.0), rng, decay=30.0)
        at += stroke
    beat = 0.0
    while beat < seconds - 0.5:
        t.hit(beat, 0.6, 0.5, rng, tone_hz=note_hz("G2"), decay=6.0)
        beat += 1.0
    t.fade(0.05, 0.4)
    write_mp3(t, name, 48)


def fanfare(name, rng):
    """A rising brass-like fanfare ending on a held major chord with a cymbal."""
    t = Track(2.6)
    brass = (1.0, 0.6, 0.45, 0.3, 0.2)
    for k, n in enumerate(["G4", "C5", "E5"]):
        t.tone(0.0 + k * 0.13, 0.25, note_hz(n), 0.35, partials=brass, attack=0.02, decay=3.0)
    for n in ["C5", "E5", "G5", "C4"]:
        t.tone(0.42, 2.1, note_hz(n), 0.3, partials=brass, attack=0.03, decay=1.3)
    t.hit(0.42, 2.0, 0.5, rng, decay=2.2)
    t.hit(0.42, 0.5, 0.6, rng, tone_hz=note_hz("C2"), decay=7.0)
    t.fade(0.005, 0.3)
    t.write_wav(os.path.join(ROOT, name))


def main():
    os.makedirs(ROOT, exist_ok=True)
    rng = random.Random(2026)
    # Calm, unhurried: C  Am  F  G at 84 beats a minute.
    chord_music(16.0, [["C4", "E4", "G4"], ["A3", "C4", "E4"], ["F3", "A3", "C4"], ["G3", "B3", "D4"]],
                60 / 84, 2, [0, 1, 2, 3, 2, 1, 0, 1], 0.25, "bg2.mp3", 48)
    drum_roll("start3.mp3", 10.0, rng)
    fanfare("stop1.wav", rng)
    # Bright and quicker for the results: F  C  Dm  Bb  F  C  Bb  C at 112 beats a minute.
    chord_music(18.0, [["F3", "A3", "C4"], ["C4", "E4", "G4"], ["D4", "F4", "A4"], ["Bb3", "D4", "F4"],
                       ["F3", "A3", "C4"], ["C4", "E4", "G4"], ["Bb3", "D4", "F4"], ["C4", "E4", "G4"]],
                60 / 112, 2, [0, 1, 2, 3, 4, 3, 2, 1], 0.2, "bg4.mp3", 48)


if __name__ == "__main__":
    main()
