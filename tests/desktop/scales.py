#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The calculator and the preview at the edges of the desktop's scale factors, a half and four.
A half is refused with a word (the toolkit would leave the controls undrawn) and the windows
come up at 1; at four each comes up laid out in proportion (the calculator's size and its name field where the
factor puts them, the Exit button taking a click there; the preview maximised with its page
fitted and centred)."""

import configparser
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, check, equal, run  # noqa: E402

WHITE = (255, 255, 255)
TOP_BARS, BOTTOM_BAR = 68, 34  # logical pixels of the preview's bars


def near(actual, expected, slack, what):
    check(abs(actual - expected) <= slack, "%s: expected %s (within %s), got %s" %
          (what, expected, slack, actual))


def calculator(d, s):
    wid = d.wait(lambda: d.windows_matching("^Quillon Ver\\. 2\\.1 - ")[:1],
                 "the calculator was not shown")[0]
    x, y, w, h = d.stable_geometry(wid)
    near(w, 584 * s, 1, "calculator width at %s" % s)
    near(h, 328 * s, 1, "calculator height at %s" % s)
    # The name field (24,97 358x30): its white inside where the factor puts it.
    area = (x + int(10 * s), y + int(90 * s), x + int(400 * s), y + int(135 * s))
    box = d.wait_pixels(lambda img: img.bounds_of(WHITE, area),
                        "the name field is not drawn at %s" % s).bounds_of(WHITE, area)
    slack = 3 + 2 * s
    near(box[0] - x, 24 * s, slack, "name field left at %s" % s)
    near(box[1] - y, 97 * s, slack, "name field top at %s" % s)
    near(box[2] - box[0], 358 * s, 2 * slack, "name field width at %s" % s)
    near(box[3] - box[1], 30 * s, 2 * slack, "name field height at %s" % s)
    d.click(x + int((500 + 30) * s), y + int((282 + 12) * s))  # Exit
    equal(d.wait_exit(), 0, "exit status after Exit at %s" % s)


def preview(d, s, text):
    d.start("print-text", "--preview", text)
    wid = d.window("Fenwy Viewer")

    def maximised():
        g = d.stable_geometry(wid)
        return g if g[2] >= d.width * 0.9 else None

    cx, cy, cw, ch = d.wait(maximised, "the preview is not maximised at %s" % s)
    d.move(cx + 2, cy + ch - 2)  # the pointer (drawn into the screen) off the page
    area = (cx, cy + int(TOP_BARS * s) + 1, cx + cw, cy + ch - int(BOTTOM_BAR * s) - 1)
    # "Whole Page": the page's height is the area's less 40, its width in the page's
    # proportion, centred.
    want_h = (ch / s - TOP_BARS - BOTTOM_BAR - 40) * s

    def fitted(img):
        b = img.bounds_of(WHITE, area)
        return b if b and abs((b[3] - b[1]) - want_h) <= 4 * s + 3 else None

    img = d.wait_pixels(fitted, "the page is not fitted at %s" % s)
    b = fitted(img)
    width, height = b[2] - b[0], b[3] - b[1]
    ini = configparser.ConfigParser()
    ini.read(os.path.join(d.home, ".config", "Quillon", "Tallet.ini"))
    page = int(ini["Printer"]["PageWidth"]) / int(ini["Printer"]["PageHeight"])
    near(width / height, page, 0.02, "page proportion at %s" % s)
    near((b[0] + b[2]) / 2 - cx, cw / 2, 3 * s + 2, "page centre at %s" % s)
    d.key("Escape")
    equal(d.wait_exit(), 0, "exit status after Escape at %s" % s)


def main(quillon):
    text = os.path.join(tempfile.mkdtemp(prefix="quillon-scales-"), "pages.txt")
    with open(text, "w") as f:
        f.write("\f".join("Page %d\n" % n for n in range(1, 4)))
    for factor, s, size in ((0.5, 1, (1000, 800)), (4, 4, (2600, 1500))):
        with Desktop(quillon, width=size[0], height=size[1], scale=factor) as d:
            d.start()
            calculator(d, s)
            refused = "quillon: QT_SCALE_FACTOR '%s' is not a scale from 1 to 8; using 1" % factor
            equal(refused in d.output(), factor < 1, "the word on the scale factor %s" % factor)
            preview(d, s, text)
    os.remove(text)


run(main)
