#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the small metafile fixtures of the player tests.

records/NAME.emf  one kind of record as other programs write it; NAME.txt holds the calls a
                  playback must make (written by hand, not by running the player).
malformed/NAME.emf  files the player must refuse with an error.

Run from this folder: python3 make_fixtures.py
"""
import os
import struct
import zlib

HEADER_SIZE = 108


def rec(rtype, payload=b""):
    size = 8 + len(payload)
    pad = (-size) % 4
    return struct.pack("<II", rtype, size + pad) + payload + b"\0" * pad


def header(records_bytes, nrecords, handles=8, bounds=(0, 0, 99, 99), version=0x10000,
           signature=0x464D4520, nbytes=None, frame=(0, 0, 27067, 20274)):
    total = HEADER_SIZE + len(records_bytes)
    if nbytes is None:
        nbytes = total
    body = struct.pack("<iiii", *bounds)
    body += struct.pack("<iiii", *frame)  # by default 0..1023, 0..767 px (by the whole millimetres)
    body += struct.pack("<IIIIHHIII", signature, version, nbytes, nrecords + 1, handles, 0, 0, 0, 0)
    body += struct.pack("<ii", 1024, 768)  # device pixels
    body += struct.pack("<ii", 271, 203)  # millimetres
    body += struct.pack("<III", 0, 0, 0)  # pixel format, OpenGL
    body += struct.pack("<ii", 270933, 203200)  # micrometres
    return struct.pack("<II", 1, HEADER_SIZE) + body


def emf(records, **kw):
    data = b"".join(records) + eof()
    return header(data, len(records) + 1, **kw) + data


def eof():
    return rec(14, struct.pack("<III", 0, 16, 20))


def rect(l, t, r, b):
    return struct.pack("<iiii", l, t, r, b)


def point(x, y):
    return struct.pack("<ii", x, y)


def point16(x, y):
    return struct.pack("<hh", x, y)


def create_pen(ih, style, width, color):
    return rec(38, struct.pack("<IIiiI", ih, style, width, 0, color))


def create_brush(ih, style, color, hatch):
    return rec(39, struct.pack("<IIIi", ih, style, color, hatch))


def select(ih):
    return rec(37, struct.pack("<I", ih))


def delete(ih):
    return rec(40, struct.pack("<I", ih))


def logfontw(height, weight, face, italic=0, underline=0, escapement=0):
    name = face.encode("utf-16-le")[:62]
    name += b"\0" * (64 - len(name))
    return struct.pack("<iiiiiBBBBBBBB", height, 0, escapement, escapement, weight, italic, underline, 0, 1, 0, 0, 0, 0) + name


def create_font(ih, height, weight, face, **kw):
    return rec(82, struct.pack("<I", ih) + logfontw(height, weight, face, **kw))


def text_w(x, y, s, dx=None, options=0, bounds=(0, 0, -1, -1), rcl=(0, 0, -1, -1)):
    chars = s.encode("utf-16-le")
    n = len(chars) // 2
    fixed = 8 + 16 + 12 + 8 + 4 + 4 + 4 + 16 + 4  # up to and including offDx
    off_string = fixed
    str_bytes = chars + b"\0" * ((-len(chars)) % 4)
    off_dx = off_string + len(str_bytes) if dx is not None else 0
    payload = rect(*bounds) + struct.pack("<Iff", 1, 26.46, 26.46)
    payload += point(x, y) + struct.pack("<III", n, off_string, options) + rect(*rcl) + struct.pack("<I", off_dx)
    payload += str_bytes
    if dx is not None:
        payload += b"".join(struct.pack("<i", d) for d in dx)
    return rec(84, payload)


def text_a(x, y, s, dx):
    n = len(s)
    fixed = 8 + 16 + 12 + 8 + 4 + 4 + 4 + 16 + 4
    str_bytes = s + b"\0" * ((-n) % 4)
    payload = rect(0, 0, -1, -1) + struct.pack("<Iff", 1, 26.46, 26.46)
    payload += point(x, y) + struct.pack("<III", n, fixed, 0) + rect(0, 0, -1, -1)
    payload += struct.pack("<I", fixed + len(str_bytes)) + str_bytes + b"".join(struct.pack("<i", d) for d in dx)
    return rec(83, payload)


def poly16(rtype, pts):
    return rec(rtype, rect(0, 0, 0, 0) + struct.pack("<I", len(pts)) + b"".join(point16(*p) for p in pts))


def poly32(rtype, pts, count=None):
    return rec(rtype, rect(0, 0, 0, 0) + struct.pack("<I", len(pts) if count is None else count)
               + b"".join(point(*p) for p in pts))


def polypoly16(rtype, polys, total=None):
    pts = [p for poly in polys for p in poly]
    payload = rect(0, 0, 0, 0) + struct.pack("<II", len(polys), len(pts) if total is None else total)
    payload += b"".join(struct.pack("<I", len(poly)) for poly in polys) + b"".join(point16(*p) for p in pts)
    return rec(rtype, payload)


def stretchdibits_8bit(x, y, w, h, pixels_rows, palette):
    """pixels_rows: rows top to bottom of palette indices; stored bottom-up."""
    width = len(pixels_rows[0])
    height = len(pixels_rows)
    bmi = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, 0, 0, 0, len(palette), 0)
    bmi += b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    stride = (width + 3) // 4 * 4
    bits = b"".join(bytes(row) + b"\0" * (stride - width) for row in reversed(pixels_rows))
    fixed = 80
    payload = rect(x, y, x + w - 1, y + h - 1) + point(x, y) + point(0, 0) + point(width, height)
    payload += struct.pack("<IIII", fixed, len(bmi), fixed + len(bmi), len(bits)) + struct.pack("<II", 0, 0x00CC0020)
    payload += point(w, h) + bmi + bits
    return rec(81, payload)


def clip_region(rects, mode=5, count=None):
    rd = struct.pack("<IIII", 32, 1, len(rects) if count is None else count, 16 * len(rects)) + rect(0, 0, 0, 0)
    rd += b"".join(rect(*r) for r in rects)
    return rec(75, struct.pack("<II", len(rd), mode) + rd)


def alphablend_32bit(x, y, w, h, argb_rows, blend, src=None):
    """argb_rows: rows top to bottom of 0xAARRGGBB pixels (premultiplied); stored bottom-up.
    src: (x, y, w, h) of the source, the whole image by default."""
    width = len(argb_rows[0])
    height = len(argb_rows)
    bmi = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, 0, 0, 0, 0, 0)
    bits = b"".join(struct.pack("<I", p) for row in reversed(argb_rows) for p in row)
    sx, sy, sw, sh = src if src else (0, 0, width, height)
    fixed = 108
    payload = rect(x, y, x + w - 1, y + h - 1) + point(x, y) + point(w, h)
    payload += struct.pack("<I", blend) + point(sx, sy)
    payload += struct.pack("<ffffff", 1, 0, 0, 1, 0, 0) + struct.pack("<II", 0xFFFFFF, 0)
    payload += struct.pack("<IIII", fixed, len(bmi), fixed + len(bmi), len(bits)) + point(sw, sh)
    payload += bmi + bits
    return rec(114, payload)


def dib_1bit(rows, palette):
    """(bitmap info, bits) of a 1-bit image: rows top to bottom of 0/1; stored bottom-up."""
    width, height = len(rows[0]), len(rows)
    bmi = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, 0, 0, 0, 2, 0)
    bmi += b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    bits = b""
    for row in reversed(rows):
        byte = 0
        for i, v in enumerate(row):
            byte |= v << (7 - i)
        bits += struct.pack("<B", byte) + b"\0\0\0"
    return bmi, bits


def pattern_brush(rtype, ih, rows, palette):
    bmi, bits = dib_1bit(rows, palette)
    fixed = 32
    return rec(rtype, struct.pack("<IIIIII", ih, 0, fixed, len(bmi), fixed + len(bmi), len(bits)) + bmi + bits)


def small_text(x, y, s, options, rcl=None):
    """EMR_SMALLTEXTOUT; bytes when options has 0x200, else UTF-16."""
    chars = s.encode("latin-1") if options & 0x200 else s.encode("utf-16-le")
    payload = point(x, y) + struct.pack("<IIIff", len(s), options, 1, 0, 0)
    if rcl is not None:
        payload += rect(*rcl)
    return rec(108, payload + chars)


def gradient(mode, vertices, items, n_ver=None, n_items=None):
    """vertices: (x, y, (r, g, b)) with 8-bit colours; items: tuples of vertex indices."""
    payload = rect(0, 0, 0, 0) + struct.pack("<III", len(vertices) if n_ver is None else n_ver,
                                               len(items) if n_items is None else n_items, mode)
    for x, y, (r, g, b) in vertices:
        payload += point(x, y) + struct.pack("<HHHH", r << 8, g << 8, b << 8, 0)
    for item in items:
        payload += b"".join(struct.pack("<I", i) for i in item)
    return rec(118, payload)


def png_file(rows):
    """A PNG file of rows of (r, g, b)."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + b"".join(bytes(px) for px in row) for row in rows)
    ihdr = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


def stretchdibits_file(x, y, w, h, data, compression, width, height):
    """EMR_STRETCHDIBITS whose rows are an image file (4 JPEG, 5 PNG); the header says its size."""
    bmi = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 0, compression, len(data), 0, 0, 0, 0)
    bits = data + b"\0" * ((-len(data)) % 4)
    fixed = 80
    payload = rect(x, y, x + w - 1, y + h - 1) + point(x, y) + point(0, 0) + point(width, abs(height))
    payload += struct.pack("<IIII", fixed, len(bmi), fixed + len(bmi), len(data)) + struct.pack("<II", 0, 0x00CC0020)
    payload += point(w, h) + bmi + bits
    return rec(81, payload)


def plus(*records):
    """An EMR_COMMENT holding extended records."""
    data = b"EMF+" + b"".join(records)
    return rec(70, struct.pack("<I", len(data)) + data)


def plus_rec(ptype, flags, data, size=None):
    pad = data + b"\0" * ((-len(data)) % 4)
    return struct.pack("<HHII", ptype, flags, 12 + len(pad) if size is None else size, len(data)) + pad


def plus_header(dual=1):
    # Writers mark files dual that carry no ordinary drawing: the flag is not trusted.
    return plus_rec(0x4001, dual, struct.pack("<IIII", 0xDBC01002, 1, 96, 96))


def plus_solid_brush(oid, argb):
    return plus_rec(0x4008, 0x0100 | oid, struct.pack("<III", 0xDBC01002, 0, argb))


def plus_pen(oid, width, argb):
    return plus_rec(0x4008, 0x0200 | oid, struct.pack("<IIIIf", 0xDBC01002, 0, 0, 2, width)
                    + struct.pack("<III", 0xDBC01002, 0, argb))


def plus_font(oid, em, name):
    n = name.encode("utf-16-le")
    return plus_rec(0x4008, 0x0600 | oid, struct.pack("<IfIiII", 0xDBC01002, em, 2, 1, 0, len(name)) + n)


def plus_rects_f(rects):
    return b"".join(struct.pack("<ffff", *r) for r in rects)


def plus_points_f(pts):
    return b"".join(struct.pack("<ff", *p) for p in pts)


def text_on_y_up(align):
    """Text at (100, 200) with `align` under a mapping whose y axis runs upward."""
    return [
        rec(17, struct.pack("<I", 8)),          # anisotropic
        rec(9, struct.pack("<ii", 1000, 1000)),  # window extent
        rec(11, struct.pack("<ii", 1000, -1000)),  # viewport extent: y up
        rec(12, point(0, 768)),                  # viewport origin at the bottom
        create_font(1, -40, 400, "Liberation Sans"),
        select(1),
        rec(22, struct.pack("<I", align)),
        text_w(100, 200, "Ag", dx=[20, 20]),
    ]


def write(folder, name, data, expected=None):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name + ".emf"), "wb") as f:
        f.write(data)
    if expected is not None:
        with open(os.path.join(folder, name + ".txt"), "w") as f:
            f.write(expected)


def records():
    d = "records"
    write(d, "polyline16_and_polygon16", emf([
        poly16(87, [(1, 2), (30, 40), (-5, 7)]),
        poly16(86, [(0, 0), (10, 0), (10, 10)]),
    ]), "Polyline 1,2 30,40 -5,7\nPolygon 0,0 10,0 10,10\n")
    write(d, "polypolygon16_two_rings", emf([
        polypoly16(91, [[(0, 0), (4, 0), (4, 4)], [(10, 10), (12, 10), (12, 12), (10, 12)]]),
    ]), "PolyPolygon [3,4] 0,0 4,0 4,4 10,10 12,10 12,12 10,12\n")
    write(d, "pen_brush_create_select_delete", emf([
        create_pen(1, 2, 3, 0x0000FF),
        create_brush(2, 2, 0x00FF00, 5),
        select(1),
        select(2),
        rec(43, rect(10, 20, 30, 40)),
        select(0x80000007),  # stock black pen
        delete(1),
        select(0x80000005),  # stock null brush
        delete(2),
    ]), "SelectPen dot 3 #FF0000\nSelectBrush hatched 5 #00FF00\nRectangle 10,20,30,40\n"
        "SelectPen solid 0 #000000\nSelectBrush null\n")
    write(d, "font_and_wide_text_with_advances", emf([
        create_font(1, -24, 700, "Times New Roman", italic=1),
        select(1),
        rec(24, struct.pack("<I", 0x00336699)),
        text_w(50, 60, "Hi!", dx=[11, 7, 5]),
    ]), "SelectFont \"Times New Roman\" -24 w700 italic\nSetTextColor #996633\n"
        "ExtTextOut 50,60 opts 0 \"Hi!\" dx 11,7,5\n")
    # The Symbol font's places, plain and in the private range, become the characters they
    # hold there; the same places in another font stay as they are.
    write(d, "symbol_font_text_becomes_its_characters", emf([
        create_font(1, -20, 400, "Symbol"),
        select(1),
        text_w(5, 6, "\uf063a=\uf0b1", dx=[8, 8, 8, 8]),
        create_font(2, -20, 400, "Arial"),
        select(2),
        text_w(5, 30, "a\uf063", dx=[8, 8]),
    ]), "SelectFont \"Symbol\" -20 w400\nExtTextOut 5,6 opts 0 \"\u03c7\u03b1=\u00b1\" dx 8,8,8,8\n"
        "SelectFont \"Arial\" -20 w400\nExtTextOut 5,30 opts 0 \"a\uf063\" dx 8,8\n")
    write(d, "ansi_text_in_windows_1252", emf([
        text_a(5, 6, b"\x80 5", [9, 9, 9]),
    ]), "ExtTextOut 5,6 opts 0 \"\u20ac 5\" dx 9,9,9\n")
    write(d, "opaque_clipped_text_keeps_its_rectangle", emf([
        text_w(1, 2, "ab", dx=[4, 4], options=6, rcl=(0, 0, 20, 10)),
    ]), "ExtTextOut 1,2 opts 6 rect 0,0,20,10 \"ab\" dx 4,4\n")
    write(d, "anisotropic_mapping_becomes_world_transform", emf([
        rec(17, struct.pack("<I", 8)),
        rec(9, struct.pack("<ii", 10, 10)),   # window extent
        rec(11, struct.pack("<ii", 20, 40)),  # viewport extent
        rec(10, struct.pack("<ii", 5, 5)),    # window origin
        rec(54, point(10, 10)),
    ]), "SetWorldTransform 0.1,0,0,0.1,0,0\nSetWorldTransform 2,0,0,4,0,0\n"
        "SetWorldTransform 2,0,0,4,-10,-20\nLineTo 10,10\n")
    # Mode 4 of EMR_MODIFYWORLDTRANSFORM replaces the transform; an unknown mode changes nothing.
    write(d, "modify_world_transform_mode_four_sets_it", emf([
        rec(35, struct.pack("<ffffff", 2, 0, 0, 2, 0, 0)),
        rec(36, struct.pack("<ffffffI", 0.5, 0, 0, 0.25, 30, 40, 4)),
        rec(36, struct.pack("<ffffffI", 3, 0, 0, 3, 0, 0, 9)),
        rec(54, point(10, 10)),
    ]), "SetWorldTransform 2,0,0,2,0,0\nSetWorldTransform 0.5,0,0,0.25,30,40\nLineTo 10,10\n")
    write(d, "stretchdibits_8bit_palette", emf([
        stretchdibits_8bit(10, 20, 40, 20, [[0, 1], [1, 1]], [(255, 0, 0), (0, 0, 255)]),
    ]), "StretchDIBits 10,20,50,40 from 0,0,2,2 of 2x2 rop CC0020\n")
    write(d, "clip_region_and_reset", emf([
        clip_region([(10, 10, 50, 60)]),
        rec(75, struct.pack("<II", 0, 5)),
    ]), "SelectClipRgn 10,10,50,60\nSelectClipRgn none\n")
    write(d, "unknown_and_palette_records_are_skipped", emf([
        rec(200, b"\1\2\3\4"),
        rec(49, struct.pack("<IHHI", 3, 0x300, 1, 0)),  # a palette takes object slot 3
        delete(3),
        rec(43, rect(1, 1, 2, 2)),
    ]), "Rectangle 1,1,2,2\n")
    write(d, "savedc_restoredc_nested", emf([
        rec(33),
        rec(18, struct.pack("<I", 1)),
        rec(33),
        rec(34, struct.pack("<i", -2)),
        rec(34, struct.pack("<i", -1)),  # nothing left to restore: ignored
    ]), "SaveDC\nSetBkMode transparent\nSaveDC\nRestoreDC -2\n")
    write(d, "opaque_rectangle_without_text_fills", emf([
        rec(25, struct.pack("<I", 0x00000000)),
        text_w(3, 4, "", options=2, rcl=(5, 6, 30, 40)),
        text_w(3, 4, "", options=0, rcl=(5, 6, 30, 40)),  # nothing to draw
    ]), "SetBkColor #000000\nExtTextOut 3,4 opts 2 rect 5,6,30,40 \"\" dx \n")
    write(d, "alphablend_with_pixel_alpha", emf([
        alphablend_32bit(10, 20, 4, 2, [[0x80800000, 0x00000000], [0xFF00FF00, 0x40102030]],
                         0x01FF0000),
    ]), "StretchDIBits 10,20,14,22 from 0,0,2,2 of 2x2 rop CC0020 alpha opacity 255\n")
    write(d, "alphablend_constant_opacity", emf([
        alphablend_32bit(0, 0, 2, 2, [[0xFF0000FF, 0xFF0000FF]], 0x00800000),
    ]), "StretchDIBits 0,0,2,2 from 0,0,2,1 of 2x1 rop CC0020 opacity 128\n")
    write(d, "pattern_brushes_keep_their_tiles", emf([
        pattern_brush(94, 1, [[0, 1], [1, 1]], [(255, 0, 0), (0, 0, 255)]),
        rec(24, struct.pack("<I", 0x0000FF00)),  # text colour green: the 0 bits
        rec(25, struct.pack("<I", 0x00FFFFFF)),  # background white: the 1 bits
        pattern_brush(93, 2, [[1, 0], [0, 0]], [(0, 0, 0), (255, 255, 255)]),
        select(1),
        rec(43, rect(0, 0, 10, 10)),
        select(2),
        rec(43, rect(20, 0, 30, 10)),
    ]), "SetTextColor #00FF00\nSetBkColor #FFFFFF\n"
        "SelectBrush pattern 2x2 mean #3F00BF | #FF0000 #0000FF | #0000FF #0000FF\n"
        "Rectangle 0,0,10,10\n"
        "SelectBrush pattern 2x2 mean #3FFF3F | #FFFFFF #00FF00 | #00FF00 #00FF00\n"
        "Rectangle 20,0,30,10\n")
    write(d, "small_text_narrow_and_wide", emf([
        small_text(5, 6, "Hi\x80", 0x300),
        small_text(7, 8, "\u20acz", 0x2, rcl=(1, 2, 40, 20)),
    ]), "ExtTextOut 5,6 opts 0 \"Hi\u20ac\" dx 8,8,8\n"
        "ExtTextOut 7,8 opts 2 rect 1,2,40,20 \"\u20acz\" dx 8,8\n")
    write(d, "gradient_rectangles_and_a_triangle", emf([
        gradient(0, [(10, 20, (255, 0, 0)), (14, 30, (0, 0, 255))], [(0, 1)]),
        gradient(1, [(0, 0, (0, 0, 0)), (5, 3, (255, 255, 255))], [(0, 1)]),
        gradient(2, [(0, 0, (255, 0, 0)), (30, 0, (0, 255, 0)), (0, 30, (0, 0, 255))], [(0, 1, 2)]),
    ]), "StretchDIBits 10,20,14,30 from 0,0,4,1 of 4x1 rop CC0020\n"
        "StretchDIBits 0,0,5,3 from 0,0,1,3 of 1x3 rop CC0020\n"
        "SelectBrush solid #555555\nSelectPen null 0 #000000\nPolygon 0,0 30,0 0,30\n"
        "SelectBrush solid #FFFFFF\nSelectPen solid 0 #000000\n")
    # Extended records only: one unit is 1/16 of a pixel, the transform says so.
    write(d, "extended_records_only", emf([plus(
        plus_header(),
        plus_solid_brush(0, 0xFFFF0000),
        plus_rec(0x400A, 0, struct.pack("<II", 0, 1) + plus_rects_f([(1.5, 2, 10, 4)])),
        plus_pen(1, 2, 0xFF0000FF),
        plus_rec(0x400D, 0x2001, struct.pack("<I", 3) + plus_points_f([(0, 0), (8, 0), (8, 8)])),
        plus_rec(0x402D, 0, struct.pack("<ff", 100, 50)),  # translate
        plus_rec(0x400E, 0x8000, struct.pack("<I", 0xFF00FF00) + plus_rects_f([(0, 0, 20, 10)])),
        plus_font(2, 12, "Liberation Sans"),
        plus_rec(0x401C, 0x8002, struct.pack("<III", 0xFF000000, 0xFFFFFFFF, 2) + plus_rects_f([(4, 6, 100, 20)])
                 + "Hi".encode("utf-16-le")),
        plus_rec(0x4002, 0, b""),
    )]), "SelectBrush solid #FF0000\nSelectPen null 0 #000000\n"
        "SetWorldTransform 0.0625,0,0,0.0625,0,0\nPolygon 24,32 184,32 184,96 24,96\n"
        "SelectBrush solid #FFFFFF\nSelectPen solid 0 #000000\n"
        "SelectBrush null\nSelectPen solid 32 #0000FF\nPolyline 0,0 128,0 128,128 0,0\n"
        "SelectBrush solid #FFFFFF\nSelectPen solid 0 #000000\n"
        "SelectBrush solid #00FF00\nSelectPen null 0 #000000\n"
        "SetWorldTransform 0.0625,0,0,0.0625,100,50\nEllipse 0,0,320,160\n"
        "SelectBrush solid #FFFFFF\nSelectPen solid 0 #000000\n"
        "SelectFont \"Liberation Sans\" -192 w700\nSetTextColor #000000\nSetBkMode transparent\n"
        "SetTextAlign 0\nExtTextOut 64,96 opts 0 \"Hi\" dx 96,96\nSetTextAlign 0\n"
        "SetBkMode opaque\nSetTextColor #000000\nSelectFont \"System\" 16 w700\n"
        "SetWorldTransform 1,0,0,1,0,0\n")
    write(d, "extended_records_beside_ordinary_ones_are_passed_over", emf([
        plus(plus_header(), plus_solid_brush(0, 0xFFFF0000),
             plus_rec(0x400A, 0, struct.pack("<II", 0, 1) + plus_rects_f([(1, 2, 10, 4)]))),
        rec(43, rect(1, 2, 11, 6)),
    ]), "Rectangle 1,2,11,6\n")
    for name, align in (("top", 0), ("baseline", 24), ("bottom", 8)):
        write(d, "text_on_y_up_mapping_" + name, emf(text_on_y_up(align)),
              "SetWorldTransform 0.001,0,0,0.001,0,0\n"
              "SetWorldTransform 1,0,0,-1,0,0\nSetWorldTransform 1,0,0,-1,0,768\n"
              "SelectFont \"Liberation Sans\" -40 w400\nSetTextAlign %d\n"
              "ExtTextOut 100,200 opts 0 \"Ag\" dx 20,20\n" % align)


def pictures():
    """Pictures whose frame lies anywhere: (name, frame in 0.01 mm, bounds)."""
    d = "pictures"
    body = [rec(43, rect(-50, -40, -10, -5))]
    # 96 ppi: 1 px = 26.458 hundredths of a millimetre.
    write(d, "frame_at_negative_coordinates",
          emf(body, frame=(-1323, -1058, -265, -132), bounds=(-50, -40, -10, -5)))
    write(d, "frame_above_the_origin",
          emf([rec(43, rect(0, -300, 200, -100))], frame=(0, -7938, 5292, -2646),
              bounds=(0, -300, 200, -100)))
    # Its frame measured in the header's whole millimetres, as writers measure it: through the
    # micrometres it would land 3 pixels away from its bounds.
    write(d, "frame_far_from_the_origin",
          emf([rec(43, rect(12000, 11700, 12080, 11780))], frame=(317578, 309258, 319695, 311373),
              bounds=(12000, 11700, 12080, 11780)))
    # Black blocks of 100 x 150 mm and 250 x 150 mm at 96 ppi: the first fits a portrait sheet
    # at its true size, the second only a landscape one.
    for name, w, h in (("portrait_100_by_150_mm", 378, 567), ("landscape_250_by_150_mm", 945, 567)):
        write(d, name, emf([select(0x80000004), rec(43, rect(0, 0, w, h))],
                           frame=(0, 0, round(w * 2540 / 96), round(h * 2540 / 96)),
                           bounds=(0, 0, w - 1, h - 1)))
    write(d, "empty_bounds_with_a_frame",
          emf([rec(43, rect(0, 0, 99, 49))], frame=(0, 0, 2619, 1296), bounds=(0, 0, -1, -1)))
    write(d, "frame_of_two_to_the_31",
          emf([rec(43, rect(0, 0, 10, 10))], frame=(-2**31, -2**31, 2**31 - 1, 2**31 - 1),
              bounds=(0, 0, 10, 10)))
    two = png_file([[(255, 0, 0), (0, 0, 255)]])
    write(d, "png_inside_a_bitmap_record", emf([stretchdibits_file(10, 20, 40, 20, two, 5, 2, 1)]))
    write(d, "png_larger_than_its_header_says", emf([stretchdibits_file(0, 0, 4, 4, two, 5, 1, 1)]))
    write(d, "jpeg_claiming_absurd_dimensions",
          emf([stretchdibits_file(0, 0, 4, 4, b"\xff\xd8\xff\xd9", 4, 2**31 - 1, 2**31 - 1)]))
    # An extended image of 2^31-1 pixels a side is left out; what follows it is drawn.
    write(d, "extended_image_of_absurd_size", emf([plus(
        plus_header(),
        plus_rec(0x4008, 0x0500, struct.pack("<IIiiiII", 0xDBC01002, 1, 2**31 - 1, 2**31 - 1, 4, 0x0026200A, 0)),
        plus_rec(0x401A, 0, struct.pack("<IIffff", 0, 2, 0, 0, 10, 10) + plus_rects_f([(0, 0, 10, 10)])),
        plus_rec(0x400A, 0x8000, struct.pack("<II", 0xFF000000, 1) + plus_rects_f([(0, 0, 5, 5)])),
    )]))
    write(d, "alphablend_with_lying_source",
          emf([alphablend_32bit(0, 0, 10, 10, [[0xFF000000]], 0x01FF0000,
                                src=(-2**31, 2**30, 2**31 - 1, 2**31 - 1))]))


def malformed():
    d = "malformed"
    good = emf([create_pen(1, 0, 1, 0), select(1), rec(43, rect(1, 2, 3, 4)), text_w(1, 1, "abc", dx=[1, 2, 3])])
    write(d, "empty_file", b"")
    write(d, "header_cut_short", good[:60])
    write(d, "truncated_in_a_record", good[:HEADER_SIZE + 30])
    cut = bytearray(good[:HEADER_SIZE + 70])  # pen, selection and rectangle whole; the text cut
    struct.pack_into("<I", cut, 48, len(cut))  # byte count agrees: the record itself runs off the end
    write(d, "record_runs_past_the_end", bytes(cut))
    write(d, "wrong_signature", emf([], signature=0x12345678))
    write(d, "wrong_version", emf([], version=0x20000))
    write(d, "byte_count_larger_than_file", emf([], nbytes=100000))
    write(d, "first_record_not_a_header", rec(43, rect(0, 0, 1, 1)) + good)
    write(d, "record_size_zero", emf([struct.pack("<II", 43, 0) + rect(0, 0, 1, 1)]))
    write(d, "record_size_not_multiple_of_four", emf([struct.pack("<II", 43, 26) + rect(0, 0, 1, 1)]))
    big = bytearray(rec(43, rect(0, 0, 1, 1)))
    struct.pack_into("<I", big, 4, 0x7FFFFFF0)
    write(d, "record_size_beyond_end", emf([bytes(big)]))
    write(d, "rectangle_too_short_for_its_type", emf([struct.pack("<II", 43, 12) + b"\0\0\0\0"]))
    write(d, "polyline_huge_point_count", emf([poly32(4, [(0, 0), (1, 1)], count=0x40000000)]))
    write(d, "polypolygon_counts_do_not_add_up", emf([polypoly16(91, [[(0, 0), (1, 1), (2, 2)]], total=2)]))
    t = bytearray(text_w(1, 1, "abc", dx=[1, 2, 3]))
    struct.pack_into("<I", t, 44, 0xFFFFFFFF)  # nChars
    write(d, "text_huge_character_count", emf([bytes(t)]))
    t = bytearray(text_w(1, 1, "abc", dx=[1, 2, 3]))
    struct.pack_into("<I", t, 72, len(t) - 4)  # offDx: advances would run past the record
    write(d, "text_advances_beyond_record", emf([bytes(t)]))
    write(d, "select_object_outside_table", emf([select(500)], handles=8))
    write(d, "select_object_never_created", emf([select(3)], handles=8))
    write(d, "create_pen_in_slot_zero", emf([create_pen(0, 0, 1, 0)]))
    write(d, "delete_object_outside_table", emf([delete(9)], handles=8))
    write(d, "fill_region_with_a_pen", emf([
        create_pen(1, 0, 1, 0),
        rec(71, rect(0, 0, 1, 1) + struct.pack("<II", 48, 1) + struct.pack("<IIII", 32, 1, 1, 16) + rect(0, 0, 1, 1)
            + rect(0, 0, 1, 1))]))
    write(d, "clip_region_huge_rectangle_count", emf([clip_region([(0, 0, 1, 1)], count=0x10000000)]))
    s = bytearray(stretchdibits_8bit(0, 0, 2, 2, [[0, 1], [1, 0]], [(0, 0, 0), (255, 255, 255)]))
    struct.pack_into("<I", s, 56, 0x7FFFFF00)  # offBitsSrc
    write(d, "bitmap_bits_beyond_record", emf([bytes(s)]))
    s = bytearray(stretchdibits_8bit(0, 0, 2, 2, [[0, 1], [1, 0]], [(0, 0, 0), (255, 255, 255)]))
    struct.pack_into("<i", s, 80 + 4, 100000)  # biWidth: rows would need far more bits than present
    write(d, "bitmap_claims_more_pixels_than_stored", emf([bytes(s)]))
    write(d, "world_transform_not_finite", emf([rec(35, struct.pack("<ffffff", float("nan"), 0, 0, 1, 0, 0))]))
    write(d, "second_header_record", emf([header(b"", 0)[:HEADER_SIZE]]))
    write(d, "end_record_missing", good[:-20][:48] + struct.pack("<I", len(good) - 20) + good[52:-20])

    # A record cut short inside a field it must have: refused naming the record.
    t = text_w(1, 1, "abc", dx=[1, 2, 3])
    write(d, "text_rectangle_cut_off", emf([struct.pack("<II", 84, 64) + t[8:64]]))
    f = create_font(1, -12, 400, "Sans")
    write(d, "font_face_name_cut_off", emf([struct.pack("<II", 82, 96) + f[8:96]]))
    s = stretchdibits_8bit(0, 0, 2, 2, [[0, 1], [1, 0]], [(0, 0, 0), (255, 255, 255)])
    write(d, "stretchdibits_cut_off", emf([struct.pack("<II", 81, 72) + s[8:72]]))
    write(d, "polyline_count_cut_off", emf([struct.pack("<II", 4, 24) + rect(0, 0, 0, 0)]))
    write(d, "set_window_origin_cut_off", emf([struct.pack("<II", 10, 12) + point(1, 2)[:4]]))
    write(d, "pen_color_cut_off", emf([struct.pack("<II", 38, 24) + create_pen(1, 0, 1, 0)[8:24]]))
    # Saves nested one deeper than the limit.
    write(d, "gradient_names_a_missing_vertex", emf([gradient(0, [(0, 0, (0, 0, 0))], [(0, 5)])]))
    write(d, "gradient_vertex_count_lies", emf([gradient(0, [(0, 0, (0, 0, 0))], [], n_ver=0x10000000)]))
    t = bytearray(small_text(0, 0, "abcd", 0x300))
    struct.pack_into("<I", t, 16, 0x7FFFFFFF)
    write(d, "small_text_huge_character_count", emf([bytes(t)]))
    b = bytearray(pattern_brush(94, 1, [[0, 1]], [(0, 0, 0), (1, 1, 1)]))
    struct.pack_into("<I", b, 28, 0x10000)  # bits run past the record
    write(d, "pattern_bits_beyond_record", emf([bytes(b)]))
    write(d, "extended_record_size_beyond_its_comment",
          emf([plus(plus_header(), plus_rec(0x400A, 0, struct.pack("<II", 0, 0), size=4096))]))
    write(d, "extended_rectangle_count_lies",
          emf([plus(plus_header(), plus_rec(0x400A, 0x8000, struct.pack("<II", 0xFF000000, 0x40000000)
                                            + plus_rects_f([(0, 0, 1, 1)])))]))
    write(d, "extended_data_size_beyond_its_record",
          emf([plus(plus_header(), struct.pack("<HHII", 0x400A, 0, 12, 400))]))
    write(d, "extended_object_announces_a_huge_size",
          emf([plus(plus_header(), plus_rec(0x4008, 0x8500, struct.pack("<I", 0xFFFFFFF0) + b"\0" * 16))]))
    write(d, "saved_states_too_deep", emf([rec(33)] * 10001))


if __name__ == "__main__":
    records()
    pictures()
    malformed()
