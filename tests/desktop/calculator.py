#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The calculator on a real desktop: its size at the desktop's scale, the question a typed Y
asks (a modal window opened from inside the key's event, drawn over the calculator and answered
by a key), F1 opening the help's contents through the desktop's opener, the desktop's editing keys
in the name field (select all, undo, word moves, Shift+End, Alt+N typing nothing) with the
letters still made capitals, and three reports printed through the print dialog to "Print to
PDF" on a new account without a documents folder, each in a file named after its own name;
a second run replaces none of them."""

import glob
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, check, equal, run  # noqa: E402

WHITE = (255, 255, 255)

SCALE = int(os.environ.get("QUILLON_SCALE", "1"))


def pdf_text(path):
    return subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True,
                          timeout=30).stdout


def report_name(path):
    """The name in the report's title line."""
    lines = [l.strip() for l in pdf_text(path).splitlines() if l.strip()]
    return lines[0] if lines else ""


def calculator(d):
    wid = d.wait(lambda: [w for w in d.windows_matching("^Quillon Ver\\. 2\\.1 - ")][:1],
                 "the calculator was not shown")[0]
    return wid


def print_report(d, documents):
    """Presses the printer button, accepts the print dialog on "Print to PDF" and the message
    that says where the file went; returns the new file."""
    before = set(glob.glob(os.path.join(documents, "*.pdf")))
    wid = calculator(d)
    x, y, _, _ = d.geometry(wid)
    d.click(x + (410 + 16) * SCALE, y + (282 + 12) * SCALE)
    dialog = d.window("Print", timeout=30)
    d.key("Return")
    d.wait(lambda: not d.windows("Print"), "the print dialog stayed open")
    d.window("Quillon")  # "The report was saved as ..."
    d.key("Return")
    d.wait(lambda: not d.windows("Quillon"), "the message stayed open")
    new = d.wait(lambda: sorted(set(glob.glob(os.path.join(documents, "*.pdf"))) - before),
                 "no report was written to %s" % documents)
    equal(len(new), 1, "new report files")
    return new[0]


def check_y_question(d):
    """The window a typed Y opens is drawn over the calculator: its name panel shows the name
    with the Y, its question panel the question in dark text on white, no part left black.
    Escape answers No: the Y stays a consonant."""
    wid = d.window("Y Character")
    x, y, w, h = d.stable_geometry(wid)
    equal((w, h), (386 * SCALE, 199 * SCALE), "the question window's client size")
    s = SCALE

    def drawn(img):
        # Inside the panels' lowered bevels: the name panel (16,14 350x30), the question
        # panel (56,64 266x71), both white behind their text.
        name = (x + 18 * s, y + 16 * s, x + 364 * s, y + 42 * s)
        question = (x + 58 * s, y + 66 * s, x + 320 * s, y + 133 * s)
        return (img.count((0, 0, 0), (x, y, x + w, y + h)) < w * h // 20 and
                img.pixel(x + 60 * s, y + 68 * s) == WHITE and
                img.pixel(x + 20 * s, y + 18 * s) == WHITE and
                img.dark(name) > 20 * s * s and img.dark(question) > 200 * s * s)

    d.wait_pixels(drawn, "the question window is not drawn (black or without its texts)")
    d.key("Escape")
    d.wait(lambda: not d.windows("Y Character"), "Escape left the question open")


def fake_opener(d):
    """An xdg-open that notes what it was asked to open; returns (PATH, the notes' file)."""
    folder = os.path.join(d.tmp, "bin")
    os.makedirs(folder)
    notes = os.path.join(d.tmp, "opened")
    with open(os.path.join(folder, "xdg-open"), "w") as f:
        f.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" >> '%s'\n" % notes)
    os.chmod(os.path.join(folder, "xdg-open"), 0o755)
    return folder + ":" + d.env["PATH"], notes


def check_help(d, notes):
    """F1 in the name field opens the help file at its contents, once."""
    d.key("F1")
    opened = d.wait(lambda: os.path.exists(notes) and open(notes).read().split(),
                    "F1 opened nothing")
    equal(len(opened), 1, "what F1 opened")
    m = re.match(r"file://(/.*\.html)#IDH_CONTENTS$", opened[0])
    check(m and os.path.isfile(m.group(1)), "F1 opened %r, not the help file's contents" % opened)


def main(quillon):
    with Desktop(quillon, scale=SCALE) as d:
        documents = os.path.join(d.home, "Documents")
        check(not os.path.exists(documents), "the new account already has a documents folder")
        path, notes = fake_opener(d)
        d.start(env={"PATH": path})
        wid = calculator(d)
        _, _, w, h = d.stable_geometry(wid)
        equal((w, h), (584 * SCALE, 328 * SCALE), "calculator client size")

        check_help(d, notes)
        d.type("y")
        check_y_question(d)

        # Typed letters become capitals; Ctrl+A selects all, and typing replaces it (the Y
        # answered No above with it).
        d.type("bob")
        d.key("ctrl+a")
        d.type("ann lee")
        first = print_report(d, documents)
        equal(os.path.basename(first), "ANN LEE.pdf", "first report's file")
        equal(report_name(first), "ANN LEE", "first report's name")

        # Ctrl+Left moves a word, Shift+End selects to the end, Alt+N types nothing, Ctrl+Z
        # takes back the last edit. (The printer button has the focus: a click into the field.)
        x, y, _, _ = d.geometry(wid)
        d.click(x + (24 + 100) * SCALE, y + (97 + 15) * SCALE)
        d.key("End", "ctrl+Left", "shift+End")
        d.type("bob")
        d.key("alt+n")
        d.key("ctrl+a")
        d.type("x")
        d.key("ctrl+z")
        second = print_report(d, documents)
        equal(report_name(second), "ANN BOB", "second report's name")
        equal(os.path.basename(second), "ANN BOB.pdf", "second report's file")

        d.click(x + (24 + 100) * SCALE, y + (97 + 15) * SCALE)
        d.key("ctrl+a")
        d.type("carl")
        third = print_report(d, documents)
        equal(os.path.basename(third), "CARL.pdf", "third report's file")
        equal(report_name(third), "CARL", "third report's name")
        x, y, _, _ = d.geometry(wid)
        d.click(x + (500 + 30) * SCALE, y + (282 + 12) * SCALE)  # Exit
        equal(d.wait_exit(), 0, "exit status")

        # A new run proposes a free name: the file of the last run stays.
        size = os.path.getsize(first)
        d.start("--name", "ann lee")
        calculator(d)
        again = print_report(d, documents)
        equal(os.path.basename(again), "ANN LEE-2.pdf", "second run's file")
        equal(os.path.getsize(first), size, "size of the first run's file")


run(main)
