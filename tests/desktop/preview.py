#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The preview as a person meets it: maximised by the window manager, the page fitted to the
area that is there at start, refitted when the window is restored and maximised again, the
whole window drawn, at scale 1 and 2 (QUILLON_SCALE). A button's hint shows in a tooltip by
the pointer."""

import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, check, equal, run  # noqa: E402
from page_fit import SCALE, check_fitted, page_size, white_box  # noqa: E402


def check_hint(d, client, button, text_width):
    """Resting the pointer on a button of the second bar shows its hint: a window of its own
    just below the pointer, light, with the hint's text in it."""
    cx, cy, _, _ = client
    left, width = button
    px, py = cx + (left + width // 2) * SCALE, cy + (34 + 13) * SCALE
    d.move(px - 40 * SCALE, py)
    d.move(px, py)
    tips = d.wait(lambda: [p for p in d.popups() if p[1][2] > 10 and p[1][3] > 10],
                  "no tooltip was shown for the button at %d,%d" % (px, py), timeout=10)
    equal(len(tips), 1, "tooltip windows")
    x, y, w, h = tips[0][1]
    check(abs(x - px) <= 40 * SCALE and py < y <= py + 40 * SCALE,
          "the tooltip at %r is not by the pointer at %d,%d" % ((x, y), px, py))
    check(text_width * SCALE <= w <= (text_width + 60) * SCALE and 12 * SCALE <= h <= 40 * SCALE,
          "the tooltip's size %dx%d does not fit its text" % (w, h))

    def shown(img):
        inside = (x + 1, y + 1, x + w - 1, y + h - 1)
        return (img.count((0, 0, 0), inside) < w * h // 4 and
                sum(img.pixel(x + 2, y + h // 2)) > 3 * 160 and img.dark(inside) > 10 * SCALE)

    d.wait_pixels(shown, "the tooltip is not drawn (black or without its text)")
    d.move(cx + 400 * SCALE, cy + 300 * SCALE)


def toggle_maximised(d, wid, client, done, what):
    """A double click on the title bar; again when a loaded machine made two clicks of it."""
    for _ in range(3):
        d.double_click(client[0] + client[2] // 2, max(1, client[1] - 8))
        try:
            return d.wait(lambda: done(d.geometry(wid)[2]), what, timeout=5)
        except Failure:
            pass
    raise Failure(what)


def main(quillon):
    text = os.path.join(tempfile.mkdtemp(prefix="quillon-preview-"), "pages.txt")
    with open(text, "w") as f:
        f.write("\f".join("Page %d\nThe quick brown fox\n" % n for n in range(1, 4)))
    # Large enough for the restored 800 x 600 window at the scale, with its title bar.
    with Desktop(quillon, width=1200 * SCALE, height=800 * SCALE, scale=SCALE) as d:
        d.start("print-text", "--preview", text)
        wid = d.window("Fenwy Viewer")
        page = page_size(d)
        client, _ = check_fitted(d, wid, page, "maximised at start")
        check(client[2] >= 1150 * SCALE and client[3] >= 700 * SCALE,
              "the preview is not maximised: %r" % (client,))
        check_hint(d, client, (310, 28), 50)  # "Whole Page"

        # Restored by a double click on the title bar: a smaller window, refitted.
        toggle_maximised(d, wid, client, lambda w: w < client[2], "the preview was not restored")
        restored, _ = check_fitted(d, wid, page, "restored")

        # Maximised again by a double click, refitted to the large area.
        toggle_maximised(d, wid, restored, lambda w: w > restored[2],
                         "the preview was not maximised again")
        client, _ = check_fitted(d, wid, page, "maximised again")

        # "Page Width" (the <> button) fills the area's width less 40, centred.
        cx, cy, cw, ch = client
        d.click(cx + (280 + 14) * SCALE, cy + (34 + 17) * SCALE)
        width = cw // SCALE - 40
        left = (cw // SCALE - width) // 2
        box = white_box(d, client)
        x0, x1 = cx + left * SCALE, cx + (left + width) * SCALE
        d.wait_pixels(lambda i: (box(i) or (0,))[0] == x0 + 1 and
                      x1 - 3 * SCALE <= box(i)[2] <= x1 - 1,
                      "Page Width: the page does not fill the width")

        # Escape closes the preview, and the job ends with it.
        d.key("Escape")
        equal(d.wait_exit(), 0, "exit status after Escape")
    os.remove(text)


run(main)
