#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The preview of `view` with a portrait, a landscape and a portrait picture: each page is
shown on a sheet of its own orientation, the picture in its middle, and the window lays the
page out again as the pages are stepped through with the page buttons."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, check, equal, run  # noqa: E402
from page_fit import BOTTOM_BAR, SCALE, check_fitted, expected_page, page_size  # noqa: E402

PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "emf",
                        "pictures")
PORTRAIT = os.path.join(PICTURES, "portrait_100_by_150_mm.emf")  # a black block
LANDSCAPE = os.path.join(PICTURES, "landscape_250_by_150_mm.emf")
BLACK = (0, 0, 0)


def check_picture(d, client, img, page, size_mm, sheet, what):
    """The black block in the middle of the page, its true size against the sheet's. The page
    control draws the page from 5 pixels in, keeping its proportion within its size less 30."""
    x, y, w, h = expected_page(client, page)
    scale = min((w - 30 * SCALE) / page[0], (h - 30 * SCALE) / page[1])
    cx, cy = x + 5 * SCALE + scale * page[0] / 2, y + 5 * SCALE + scale * page[1] / 2
    bw, bh = (scale * page[0] * size_mm[0] / sheet[0], scale * page[1] * size_mm[1] / sheet[1])
    block = img.bounds_of(BLACK, (x + 1, y + 1, x + w - 3 * SCALE, y + h - 3 * SCALE))
    check(block is not None, "%s: no picture on the page" % what)
    want = (cx - bw / 2, cy - bh / 2, cx + bw / 2, cy + bh / 2)
    check(all(abs(a - b) <= 2 * SCALE + 1 for a, b in zip(block, want)),
          "%s: the picture is at %r, not %s" % (what, block, tuple(round(v) for v in want)))


def main(quillon):
    with Desktop(quillon, width=1200 * SCALE, height=800 * SCALE, scale=SCALE) as d:
        d.start("view", PORTRAIT, LANDSCAPE, PORTRAIT)
        wid = d.window("Quillon View")
        page = page_size(d)
        check(page[0] < page[1], "the job's page %r is not portrait" % (page,))
        # The sheet in millimetres, A4 or Letter as the page's proportion says.
        sheet = (210, 297) if abs(page[1] / page[0] - 297 / 210) < 0.01 else (215.9, 279.4)
        client, img = check_fitted(d, wid, page, "page 1")
        check_picture(d, client, img, page, (100, 150), sheet, "page 1")

        cx, cy, cw, ch = client
        next_button = (cx + (240 + 14) * SCALE, cy + ch - (BOTTOM_BAR - 17) * SCALE)
        d.click(*next_button)
        client, img = check_fitted(d, wid, (page[1], page[0]), "page 2, landscape")
        check_picture(d, client, img, (page[1], page[0]), (250, 150), (sheet[1], sheet[0]),
                      "page 2")

        d.click(*next_button)
        client, img = check_fitted(d, wid, page, "page 3, portrait again")
        check_picture(d, client, img, page, (100, 150), sheet, "page 3")

        d.key("Escape")
        equal(d.wait_exit(), 0, "exit status after Escape")


run(main)
