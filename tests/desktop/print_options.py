#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The preview's "Print Options" dialog on a real desktop: opened from the preview's button and
drawn over the preview (its texts shown, nothing left black), scaled as a whole (its Print and
Close buttons inside the window), closed by a click on Close, by Alt+C and by Escape, and
printing a typed page list to "Print to PDF" by Alt+P, saying where the file went. Then
Abort in the status dialog, which stands above the preview, stops a 5,000-page print."""

import glob
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, check, equal, run  # noqa: E402

SCALE = int(os.environ.get("QUILLON_SCALE", "1"))


def scaled(v):
    """A length of a dialog laid out at 120 pixels per inch, on a 96-pixel screen."""
    return int(round(v * 96 / 120))


def pdf_pages(path):
    out = subprocess.run(["pdfinfo", path], capture_output=True, text=True, timeout=30).stdout
    for line in out.splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return None


def pdfs(d):
    return sorted(glob.glob(os.path.join(d.home, "**", "*.pdf"), recursive=True))


def check_drawn(d, wid, geometry):
    """The dialog shows its labels, its button captions and its white edit over the face colour;
    no part of it stays black."""
    x, y, w, h = geometry
    s = SCALE

    def box(left, top, width, height):
        return (x + scaled(left) * s, y + scaled(top) * s,
                x + (scaled(left) + scaled(width)) * s, y + (scaled(top) + scaled(height)) * s)

    def drawn(img):
        return (img.count((0, 0, 0), (x, y, x + w, y + h)) < w * h // 20 and
                img.dark(box(14, 168, 110, 24)) > 30 * s * s and  # "Page Selection"
                img.dark(box(14, 204, 110, 24)) > 20 * s * s and  # "# of Copies"
                img.dark(box(220, 250, 85, 30)) > 10 * s * s and  # "Print"
                img.count((255, 255, 255), box(130, 204, 60, 24)) > 200 * s * s)  # Copies

    d.wait_pixels(drawn, "Print Options is not drawn (black or without its texts)")


def main(quillon):
    text = os.path.join(tempfile.mkdtemp(prefix="quillon-options-"), "pages.txt")
    with open(text, "w") as f:
        f.write("\f".join("Page %d\n" % n for n in range(1, 5001)))
    with Desktop(quillon, scale=SCALE) as d:
        d.start("print-text", "--preview", text)
        preview = d.window("Fenwy Viewer")
        px, py, _, _ = d.stable_geometry(preview)

        def open_options():
            d.click(px + (326 + 37) * SCALE, py + 17 * SCALE)  # "Add nl"
            wid = d.window("Print Options")
            return wid, d.stable_geometry(wid)

        # The whole dialog is scaled and drawn: its buttons stand inside it.
        wid, (x, y, w, h) = open_options()
        check_drawn(d, wid, (x, y, w, h))
        close_btn = (scaled(315), scaled(250), scaled(85), scaled(30))
        check(w >= (close_btn[0] + close_btn[2]) * SCALE and h >= (close_btn[1] + close_btn[3]) * SCALE,
              "Print Options %dx%d cuts off its Close button %r" % (w, h, close_btn))
        d.click(x + (close_btn[0] + close_btn[2] // 2) * SCALE,
                y + (close_btn[1] + close_btn[3] // 2) * SCALE)
        d.wait(lambda: not d.windows("Print Options"), "a click on Close left the dialog open")

        # Alt+C is Close, Escape too.
        open_options()
        d.key("alt+c")
        d.wait(lambda: not d.windows("Print Options"), "Alt+C left the dialog open")
        open_options()
        d.key("Escape")
        d.wait(lambda: not d.windows("Print Options"), "Escape left the dialog open")
        check(d.windows("Fenwy Viewer"), "the preview went with the dialog")

        # A page list by the keyboard: Range, the list, Alt+P prints it.
        wid, (x, y, w, h) = open_options()
        d.click(x + (scaled(10) + scaled(14) + 8) * SCALE, y + (scaled(8) + scaled(72) + 8) * SCALE)
        d.click(x + (scaled(10) + scaled(100) + 20) * SCALE, y + (scaled(8) + scaled(70) + 8) * SCALE)
        d.type("2,4-5")
        d.key("alt+p")
        box = d.window("Quillon")  # "The pages were saved as ..."
        d.key("Return")
        d.wait(lambda: not d.windows("Quillon"), "the message stayed")
        files = d.wait(lambda: pdfs(d), "no PDF was written")
        equal(len(files), 1, "PDF files")
        equal(pdf_pages(files[0]), 3, "pages of %s" % files[0])
        # The dialog comes back until it is closed.
        d.window("Print Options")
        d.key("Escape")
        d.wait(lambda: not d.windows("Print Options"), "Escape left the dialog open")
        os.remove(files[0])

        # A list of 10,000 elements typed in (each the second page): the one page is printed,
        # the program keeps answering.
        wid, (x, y, w, h) = open_options()
        d.click(x + (scaled(10) + scaled(14) + 8) * SCALE, y + (scaled(8) + scaled(72) + 8) * SCALE)
        d.click(x + (scaled(10) + scaled(100) + 20) * SCALE, y + (scaled(8) + scaled(70) + 8) * SCALE)
        d.key("ctrl+a")
        d.x(["xdotool", "type", "--delay", "0", ",".join(["2"] * 10000)], timeout=120)
        d.key("alt+p")
        d.window("Quillon", timeout=60)  # "The pages were saved as ..."
        d.key("Return")
        d.wait(lambda: not d.windows("Quillon"), "the message stayed")
        files = d.wait(lambda: pdfs(d), "no PDF was written for the long list")
        equal([pdf_pages(f) for f in files], [1], "pages printed for the long list")
        d.window("Print Options")
        d.key("Escape")
        d.wait(lambda: not d.windows("Print Options"), "Escape left the dialog open")
        os.remove(files[0])

        # Abort: all 5,000 pages to the PDF printer (enough to be still printing on a fast
        # machine when the click comes); the status dialog is above the preview
        # and takes the click.
        d.click(px + (6 + 37) * SCALE, py + 17 * SCALE)  # "All"
        status = d.window("Print Status", timeout=30)
        stacking = d.x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"])
        order = [int(v, 16) for v in stacking.split("#")[1].replace(",", " ").split()]
        check(preview in order and status in order,
              "the windows are not in the window manager's list")
        check(order.index(status) > order.index(preview), "the status dialog is below the preview")
        sx, sy, _, _ = d.stable_geometry(status)
        d.click(sx + (scaled(304) + scaled(75) // 2) * SCALE, sy + (scaled(176) + scaled(33) // 2) * SCALE)
        d.wait(lambda: not d.windows("Print Status"), "Abort left the status dialog open", timeout=30)
        time.sleep(1.0)
        written = pdfs(d)
        # An aborted document is not written (or holds fewer pages than the job).
        check(not written or all(pdf_pages(f) < 5000 for f in written),
              "Abort did not stop the print: %r" % written)
        check(not d.windows("Quillon"), "a message says the aborted pages were saved")
        check(d.windows("Fenwy Viewer"), "the preview went with the print")
        d.key("Escape")
        equal(d.wait_exit(), 0, "exit status")
    os.remove(text)


run(main)
