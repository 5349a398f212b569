#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Run by hand: the preview under a window manager, from the start of the program to the fitted
first page painted, for a 1-page and a 1,000-page job at scale 1 and 2; and Abort, from the
click to the status dialog gone (the print loop ended).

    python3 bench/preview_desktop.py build/app/quillon [RUNS]

Times are wall-clock, found by polling screenshots of the screen (each poll takes a few
milliseconds at 1600 x 1000), so they are upper bounds to within one poll."""

import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "desktop"))
from desktop import Desktop, Failure  # noqa: E402

TOP_BARS, BOTTOM_BAR = 68, 34


def fitted_page_painted(d, scale):
    """True once the page's white area has the height "Whole Page" gives it."""
    ids = d.windows("Fenwy Viewer")
    if not ids:
        return False
    x, y, w, h = d.geometry(ids[0])
    if w < 1100 * scale:  # not maximised yet
        return False
    img = d.screenshot()
    box = img.bounds_of((255, 255, 255), (x, y + TOP_BARS * scale, x + w, y + h - BOTTOM_BAR * scale))
    # Logical pixels (the toolkit rounds a half pixel up); inside the page's outlines.
    logical = (h + scale - 1) // scale
    page = (logical - TOP_BARS - BOTTOM_BAR - 40) * scale
    return box is not None and page - 3 * scale - 1 <= box[3] - box[1] <= page - 1


def start_to_page(quillon, text, scale):
    with Desktop(quillon, width=1200 * scale, height=800 * scale, scale=scale) as d:
        d.move(1, d.height - 1)  # the pointer is drawn into the screen: off the page
        t0 = time.monotonic()
        d.start("print-text", "--preview", text)
        try:
            d.wait(lambda: fitted_page_painted(d, scale), "no fitted page", timeout=30)
        except Failure:
            # Counted, not timed: the screen is kept for a look.
            d.screenshot().save_png(os.path.join(tempfile.gettempdir(), "quillon-bench-failed.png"))
            return None
        return time.monotonic() - t0


def abort_time(quillon, text):
    with Desktop(quillon) as d:
        d.start("print-text", "--preview", text)
        preview = d.window("Fenwy Viewer")
        px, py, _, _ = d.stable_geometry(preview)
        d.click(px + 43, py + 17)
        status = d.window("Print Status", timeout=30)
        sx, sy, _, _ = d.geometry(status)
        d.move(sx + 273, sy + 154)
        time.sleep(0.5)  # printing for a while
        t0 = time.monotonic()
        d.x(["xdotool", "click", "1"])
        d.wait(lambda: not d.windows("Print Status"), "Abort did not end the print", timeout=30)
        return time.monotonic() - t0


def main():
    quillon = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    tmp = tempfile.mkdtemp(prefix="quillon-bench-")
    jobs = {}
    for pages in (1, 1000):
        path = os.path.join(tmp, "p%d.txt" % pages)
        with open(path, "w") as f:
            f.write("\f".join("Page %d\n" % n for n in range(1, pages + 1)))
        jobs[pages] = path
    for pages, path in jobs.items():
        for scale in (1, 2):
            results = [start_to_page(quillon, path, scale) for _ in range(runs)]
            times = [t for t in results if t is not None]
            missed = len(results) - len(times)
            if not times:
                print("preview %4d pages, scale %d: the page was never fitted (%d runs)" %
                      (pages, scale, missed))
                continue
            print("preview %4d pages, scale %d: median %.0f ms (min %.0f, max %.0f)%s" %
                  (pages, scale, 1000 * statistics.median(times), 1000 * min(times),
                   1000 * max(times), ", %d of %d runs never fitted" % (missed, runs)
                   if missed else ""))
    times = [abort_time(quillon, jobs[1000]) for _ in range(runs)]
    print("abort: median %.0f ms (min %.0f, max %.0f)" %
          (1000 * statistics.median(times), 1000 * min(times), 1000 * max(times)))
    for path in jobs.values():
        os.remove(path)
    os.rmdir(tmp)


main()
