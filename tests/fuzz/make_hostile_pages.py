#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes one small page file for each class of hostile input into the seed corpora of the
page fuzz targets (fuzz_play_qt, fuzz_emf_player).

Run from this folder: python3 make_hostile_pages.py
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "data", "emf"))
from make_fixtures import emf, rec, rect, point, create_pen, create_brush, select  # noqa: E402

INT_MAX = 0x7FFFFFFF
INT_MIN = -0x80000000


def page_comment(width, height, ppi):
    data = struct.pack("<IIiiii", 0x47504C51, 1, width, height, ppi, ppi)
    return rec(70, struct.pack("<I", len(data)) + data)


def set_map_mode(mode):
    return rec(17, struct.pack("<i", mode))


def window_ext(cx, cy):
    return rec(9, struct.pack("<ii", cx, cy))


def viewport_ext(cx, cy):
    return rec(11, struct.pack("<ii", cx, cy))


def window_org(x, y):
    return rec(10, point(x, y))


def viewport_org(x, y):
    return rec(12, point(x, y))


def ellipse(l, t, r, b):
    return rec(42, rect(l, t, r, b))


def round_rect(l, t, r, b, cx, cy):
    return rec(44, rect(l, t, r, b) + struct.pack("<ii", cx, cy))


def chord(l, t, r, b):
    return rec(46, rect(l, t, r, b) + point(l, t) + point(r, b))


STYLE = [create_pen(1, 0, 1, 0), select(1), create_brush(2, 0, 0x808080, 0), select(2)]
ANISOTROPIC = 8

SEEDS = {
    "huge_ellipse": STYLE + [ellipse(INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1)],
    "wide_ellipse": STYLE + [ellipse(-2000000, 0, 2000000, 100)],
    "huge_round_rectangle": STYLE + [round_rect(INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1,
                                                INT_MAX, INT_MAX)],
    "huge_chord": STYLE + [chord(INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1)],
    "viewport_extent_2_31_over_1": STYLE + [set_map_mode(ANISOTROPIC), window_ext(1, 1),
                                            viewport_ext(INT_MAX, INT_MAX), ellipse(0, 0, 10, 10),
                                            round_rect(0, 0, 10, 10, 3, 3)],
    "origins_at_opposite_ends": STYLE + [viewport_org(INT_MAX, INT_MIN), window_org(INT_MIN, INT_MAX),
                                         ellipse(0, 0, 10, 10)],
    "page_131072_square": [page_comment(131072, 131072, 600)] + STYLE + [rec(43, rect(0, 0, 131072, 131072))],
    # About 64 KB of saves, the fuzzer's input limit; the file format's limit is in the player.
    "many_savedc": [rec(33)] * 7990,
}

for target in ("fuzz_play_qt", "fuzz_emf_player"):
    os.makedirs(target, exist_ok=True)
    for name, records in SEEDS.items():
        with open(os.path.join(target, name + ".emf"), "wb") as f:
            f.write(emf(records))
