#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The preview's page as the desktop tests find it on the screen: where "Whole Page" puts it
in a window of a given size, and a wait until it is drawn there."""

import configparser
import os

from desktop import check, equal

SCALE = int(os.environ.get("QUILLON_SCALE", "1"))
TOP_BARS, BOTTOM_BAR, CONTROL_TOP = 68, 34, 10  # logical pixels of the preview's bars
WHITE = (255, 255, 255)


def page_size(d):
    ini = configparser.ConfigParser()
    ini.read(os.path.join(d.home, ".config", "Quillon", "Tallet.ini"))
    return int(ini["Printer"]["PageWidth"]), int(ini["Printer"]["PageHeight"])


def round_half_even(v):
    return int(round(v))


def expected_page(client, page):
    """The page control's box on the screen (device pixels) for "Whole Page" in a window whose
    client area is `client` (device pixels)."""
    cx, cy, cw, ch = client
    # Logical pixels; the toolkit rounds a half pixel up.
    w, h = (cw + SCALE - 1) // SCALE, (ch + SCALE - 1) // SCALE
    area_w, area_h = w, h - TOP_BARS - BOTTOM_BAR
    height = area_h - 40
    width = round_half_even(page[0] / page[1] * height)
    left = (area_w - width) // 2
    top = TOP_BARS + CONTROL_TOP
    return (cx + left * SCALE, cy + top * SCALE, width * SCALE, height * SCALE)


def white_box(d, client):
    cx, cy, cw, ch = client
    area = (cx, cy + TOP_BARS * SCALE, cx + cw, cy + ch - BOTTOM_BAR * SCALE)
    return lambda img: img.bounds_of(WHITE, area)


def check_fitted(d, wid, page, what):
    client = d.stable_geometry(wid)
    x, y, w, h = expected_page(client, page)
    # The frame's outlines leave the white inside from the control's first pixel + 1 to
    # its width less the three outlines on the right and at the bottom (as thick as the
    # scale draws them).
    want = (x + 1, y + 1, x + w - 3 * SCALE, y + h - 3 * SCALE)

    def fitted(img):
        b = box(img)
        return b is not None and b[:2] == want[:2] and \
            want[2] <= b[2] <= x + w - 1 and want[3] <= b[3] <= y + h - 1

    box = white_box(d, client)
    img = d.wait_pixels(fitted, "%s: the page is not fitted to the window %r (want white %r)" %
                        (what, client, want))
    # The whole area is drawn: beside and below the page only the background shows.
    cx, cy, cw, ch = client
    background = img.pixel(cx + 2, cy + (TOP_BARS + 2) * SCALE)
    check(background != WHITE, "%s: no background beside the page" % what)
    for px, py in ((cx + cw - 40 * SCALE, cy + ch - (BOTTOM_BAR + 25) * SCALE),
                   (cx + cw // 2 + w // 2 + 10 * SCALE, cy + ch // 2),
                   (x - 10 * SCALE, cy + ch - (BOTTOM_BAR + 25) * SCALE)):
        equal(img.pixel(px, py), background, "%s: colour at %d,%d" % (what, px, py))
    return client, img
