#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
# Writes foreign.emf: a page file as another program makes it, without our page comment.
# Header bounds (10,10)-(199,99) on a 1024 x 768-pixel, 320 x 240-mm reference device; a
# rectangle (10,10)-(110,60) with the default white brush, then a black-brushed ellipse
# (120,40)-(200,100). page.emf beside it was recorded by the page recorder: a 1200 x 800
# page at 300 pixels per inch with the text "Quillon sample page" at (100,100), a black
# block (100,400)-(500,600), a rectangle (600,400)-(1100,700) around an ellipse
# (650,450)-(1050,650) and a line along the bottom row.
import struct

records = []


def record(kind, payload):
    records.append(struct.pack('<II', kind, 8 + len(payload)) + payload)


record(43, struct.pack('<4i', 10, 10, 110, 60))   # EMR_RECTANGLE
record(37, struct.pack('<I', 0x80000004))          # EMR_SELECTOBJECT (BLACK_BRUSH)
record(42, struct.pack('<4i', 120, 40, 200, 100))  # EMR_ELLIPSE
record(14, struct.pack('<III', 0, 16, 20))         # EMR_EOF
header_size = 108
body = b''.join(records)
header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, header_size, 10, 10, 199, 99, 0, 0, 6219, 3094,
                     0x464D4520, 0x10000, header_size + len(body), len(records) + 1, 1, 0, 0, 0, 0,
                     1024, 768, 320, 240, 0, 0, 0, 320000, 240000)
with open('foreign.emf', 'wb') as f:
    f.write(header + body)
