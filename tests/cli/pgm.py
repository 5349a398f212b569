# SPDX-License-Identifier: GPL-2.0-or-later
"""Reads the binary grey images (P5) that pdftoppm -gray writes, for the cli tests."""


def read_pgm(path):
    """(width, height, rows of bytes) of an 8-bit binary PGM file."""
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maximum
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b'P5' or int(fields[3]) > 255:
        raise ValueError(f"{path}: not an 8-bit binary PGM file")
    w, h = int(fields[1]), int(fields[2])
    return w, h, [data[at + 1 + y * w:at + 1 + (y + 1) * w] for y in range(h)]
