#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""System colours on a dark desktop (QUILLON_PALETTE=dark stands for a desktop theme): the
calculator's face and its fields take the desktop's colours, the explicitly white result panel
and the black letters of the name stay; a printed page keeps its fixed colours (black text on
white, shown so in the preview). Without a desktop palette the classic grey face stays."""

import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, check, equal, run  # noqa: E402

SCALE = int(os.environ.get("QUILLON_SCALE", "1"))
DARK_FACE, DARK_BASE = (0x35, 0x35, 0x35), (0x20, 0x20, 0x20)
CLASSIC_FACE, WHITE = (0xC0, 0xC0, 0xC0), (0xFF, 0xFF, 0xFF)


def calculator(d):
    wid = d.wait(lambda: d.windows_matching("^Quillon Ver\\. 2\\.1 - ")[:1],
                 "the calculator was not shown")[0]
    g = d.stable_geometry(wid)
    d.move(1, d.height - 1)  # the pointer is drawn into the screen: away from the window
    return g


def face_and_field(d, g):
    x, y, _, _ = g
    s = SCALE
    img = d.wait_pixels(lambda i: i.pixel(x + 4 * s, y + 4 * s) != (0, 0, 0),
                        "the calculator is not drawn")
    # The form's face beside the first label; inside the name field (24,97 358x30) right of
    # any text; inside the result panel (clWhite) below its texts.
    return (img.pixel(x + 4 * s, y + 4 * s), img.pixel(x + 360 * s, y + 112 * s),
            img.pixel(x + 200 * s, y + 300 * s))


def main(quillon):
    text = os.path.join(tempfile.mkdtemp(prefix="quillon-colors-"), "pages.txt")
    with open(text, "w") as f:
        f.write("Page one\nThe quick brown fox\n")
    with Desktop(quillon, scale=SCALE) as d:
        d.start()
        g = calculator(d)
        equal(face_and_field(d, g)[0], CLASSIC_FACE, "the face without a desktop palette")
        d.click(g[0] + 530 * SCALE, g[1] + 294 * SCALE)  # Exit
        equal(d.wait_exit(), 0, "exit status")

        dark = {"QUILLON_PALETTE": "dark"}
        d.start(env=dark)
        g = calculator(d)
        face, field, panel = face_and_field(d, g)
        equal(face, DARK_FACE, "the calculator's face on a dark desktop")
        equal(field, DARK_BASE, "inside the name field on a dark desktop")
        equal(panel, WHITE, "inside the white result panel on a dark desktop")
        # The name's letters are explicitly black: they stay so on the dark field.
        d.type("ann")
        x, y = g[0], g[1]
        field_box = (x + 26 * SCALE, y + 99 * SCALE, x + 120 * SCALE, y + 125 * SCALE)
        d.wait_pixels(lambda i: i.count((0, 0, 0), field_box) > 20 * SCALE * SCALE,
                      "the name's black letters are not shown on the dark field")
        d.click(g[0] + 530 * SCALE, g[1] + 294 * SCALE)
        equal(d.wait_exit(), 0, "exit status")

        # A page keeps its colours: the preview shows it white with dark text, however dark
        # the desktop.
        d.start("print-text", "--preview", text, env=dark)
        wid = d.window("Fenwy Viewer")
        d.move(1, d.height - 1)
        cx, cy, cw, ch = d.stable_geometry(wid)
        area = (cx, cy + 70 * SCALE, cx + cw, cy + ch - 36 * SCALE)

        def page(img):
            b = img.bounds_of(WHITE, area)
            return b and (b[2] - b[0]) > 300 * SCALE and img.dark(b, limit=64) > 50 * SCALE

        d.wait_pixels(page, "the preview's page is not white with dark text on a dark desktop")
        check(d.screenshot().pixel(cx + 4 * SCALE, cy + 4 * SCALE) == DARK_FACE,
              "the preview's bar is not in the desktop's face colour")
        d.key("Escape")
        equal(d.wait_exit(), 0, "exit status after Escape")
    os.remove(text)


run(main)
