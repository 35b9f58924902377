#!/usr/bin/env python3
"""Writes credits.mod: a short looping four-channel M.K. module with synthesized 8-bit samples.

Usage: make_mod.py OUTPUT_FILE

Channels: 1 lead (square), 2 bass (saw), 3 drums (kick, snare, hi-hat), 4 chords (pulse with arpeggio).
Chords C G Am F; speed 5 at tempo 125 gives 100 ms per row and 16 rows per bar.
The output is the same on every run.
"""

import math
import struct
import sys

TITLE = "quennex credits"
SPEED = 5
ROWS = 64
BAR = 16

# Periods for finetune 0, octaves 1 to 3.
NOTE_NAMES = ["C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"]
PERIODS = [
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
]

# The rate at which a sample plays on C-2.
C2_RATE = 3546895 / 428


def period(note):
    """'E-2' -> its period."""
    octave = int(note[2])
    if not 1 <= octave <= 3:
        raise ValueError(f"note out of range: {note}")
    return PERIODS[(octave - 1) * 12 + NOTE_NAMES.index(note[:2])]


# --- samples: signed 8-bit, each a list of ints in -128..127 ---

def clamp8(v):
    return max(-128, min(127, int(round(v))))


def square(length, duty, amp):
    high = int(length * duty)
    return [amp if i < high else -amp for i in range(length)]


def saw(length, amp):
    return [clamp8(-amp + 2 * amp * i / (length - 1)) for i in range(length)]


class Noise:
    """Small LCG so the tune comes out identical everywhere."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 16) / 32767.5 - 1.0


def kick(seconds=0.18):
    out, phase = [], 0.0
    count = int(C2_RATE * seconds)
    for i in range(count):
        t = i / count
        freq = 160 * (1 - t) + 45 * t
        phase += 2 * math.pi * freq / C2_RATE
        out.append(clamp8(120 * math.sin(phase) * (1 - t) ** 1.5))
    return out


def noise_burst(seed, seconds, decay, tone=0.0):
    rng = Noise(seed)
    out = []
    count = int(C2_RATE * seconds)
    for i in range(count):
        t = i / count
        v = rng.next() * (1 - tone) + tone * math.sin(2 * math.pi * 190 * i / C2_RATE)
        out.append(clamp8(110 * v * math.exp(-decay * t)))
    return out


def even(data):
    """Sample lengths are stored in words."""
    return data + [0] * (len(data) % 2)


# name, data, volume, looped
SAMPLES = [
    ("lead square", square(32, 0.5, 90), 40, True),
    ("chord pulse", square(32, 0.25, 80), 22, True),
    ("bass saw", saw(64, 100), 46, True),
    ("kick", even(kick()), 64, False),
    ("snare", even(noise_burst(7, 0.20, 5.0, tone=0.3)), 44, False),
    ("hihat", even(noise_burst(99, 0.05, 6.0)), 26, False),
]
LEAD, CHORD, BASS, KICK, SNARE, HIHAT = range(1, 7)


# --- patterns ---

def empty_pattern():
    return [[None] * 4 for _ in range(ROWS)]


def cell(sample=0, note=None, effect=0, param=0):
    return (sample, period(note) if note else 0, effect, param)


# bass root, the pulse's note, arpeggio (semitones of the third and fifth)
CHORDS = {
    "C": ("C-1", "C-2", 0x47),
    "G": ("G-1", "G-1", 0x47),
    "Am": ("A-1", "A-1", 0x37),
    "F": ("F-1", "F-1", 0x47),
}


def octave_up(note):
    return note[:2] + str(int(note[2]) + 1)


def fill_backing(pat, chords):
    for bar, chord in enumerate(chords):
        root, chord_note, arp = CHORDS[chord]
        for r in range(BAR):
            row = bar * BAR + r
            # Bass: eighth notes, root and octave in turn.
            if r % 2 == 0:
                pat[row][1] = cell(BASS, root if r % 4 == 0 else octave_up(root))
            # Chords: one pulse note per half bar, arpeggio on every row.
            if r % 8 == 0:
                pat[row][3] = cell(CHORD, chord_note, 0x0, arp)
            else:
                pat[row][3] = cell(0, None, 0x0, arp)
            # Drums.
            if r in (0, 8) or (r == 10 and bar % 2 == 1):
                pat[row][2] = cell(KICK, "C-2")
            elif r in (4, 12):
                pat[row][2] = cell(SNARE, "C-2")
            elif r % 2 == 0:
                pat[row][2] = cell(HIHAT, "C-3")
    # The speed on the first row of every pattern.
    sample, per, _, _ = pat[0][1]
    pat[0][1] = (sample, per, 0xF, SPEED)


def fill_lead(pat, melody):
    tokens = melody.split()
    if len(tokens) != ROWS:
        raise ValueError(f"melody needs {ROWS} rows, has {len(tokens)}")
    for row, token in enumerate(tokens):
        if token == ".":
            # Let held notes fade for a plucked feel.
            pat[row][0] = cell(0, None, 0xA, 0x02)
        else:
            pat[row][0] = cell(LEAD, token)


PROGRESSION = ["C", "G", "Am", "F"]

MELODY_A = """
E-2 . G-2 . C-3 . . . B-2 . C-3 . G-2 . . .
D-3 . . . B-2 . G-2 . A-2 . B-2 . D-3 . . .
C-3 . . . A-2 . E-2 . A-2 . C-3 . E-3 . . .
D-3 . C-3 . A-2 . F-2 . G-2 . . . . . . .
"""

MELODY_B = """
E-2 . G-2 . C-3 . . . B-2 . C-3 . E-3 . . .
D-3 . . . G-3 . . . F-3 . E-3 . D-3 . . .
C-3 . . . E-3 . . . A-2 . B-2 . C-3 . . .
A-2 . C-3 . F-3 . E-3 . D-3 . . . C-3 . . .
"""

MELODY_TURN = """
A-2 . . . C-3 . A-2 . F-2 . A-2 . C-3 . . .
B-2 . . . D-3 . B-2 . G-2 . B-2 . D-3 . . .
E-3 . D-3 . C-3 . G-2 . E-2 . G-2 . C-3 . . .
D-3 . . . . . . . B-2 . . . G-2 . . .
"""


def build_patterns():
    intro = empty_pattern()
    fill_backing(intro, PROGRESSION)

    a = empty_pattern()
    fill_backing(a, PROGRESSION)
    fill_lead(a, MELODY_A)

    b = empty_pattern()
    fill_backing(b, PROGRESSION)
    fill_lead(b, MELODY_B)

    turn = empty_pattern()
    fill_backing(turn, ["F", "G", "C", "G"])
    fill_lead(turn, MELODY_TURN)
    return [intro, a, b, turn]


ORDER = [0, 1, 2, 1, 3]


# --- file layout ---

def pack_name(text, size):
    raw = text.encode("ascii")[:size]
    return raw + b"\0" * (size - len(raw))


def sample_header(name, data, volume, looped):
    words = len(data) // 2
    if words > 0xFFFF:
        raise ValueError(f"sample too long: {name}")
    loop_start, loop_words = (0, words) if looped else (0, 1)
    return pack_name(name, 22) + struct.pack(">HBBHH", words, 0, volume, loop_start, loop_words)


def pattern_bytes(pat):
    out = bytearray()
    for row in pat:
        for c in row:
            sample, per, effect, param = c or (0, 0, 0, 0)
            out += bytes([(sample & 0xF0) | (per >> 8), per & 0xFF, ((sample & 0x0F) << 4) | effect, param])
    return out


def build_module():
    out = bytearray(pack_name(TITLE, 20))
    for i in range(31):
        if i < len(SAMPLES):
            name, data, volume, looped = SAMPLES[i]
            out += sample_header(name, data, volume, looped)
        else:
            out += pack_name("", 22) + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    out += bytes([len(ORDER), 0])
    out += bytes(ORDER + [0] * (128 - len(ORDER)))
    out += b"M.K."
    for pat in build_patterns():
        out += pattern_bytes(pat)
    for _, data, _, _ in SAMPLES:
        out += bytes(v & 0xFF for v in data)
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_mod.py OUTPUT_FILE")
    with open(sys.argv[1], "wb") as f:
        f.write(build_module())


if __name__ == "__main__":
    main()
