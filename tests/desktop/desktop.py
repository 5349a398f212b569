# SPDX-License-Identifier: GPL-2.0-or-later
"""A private desktop for the window tests: Xvfb with openbox, a fresh HOME, the real program
driven by synthetic keys and mouse (xdotool, through XTest), and what a person would see:
window geometry (xwininfo), pixels (the server's frame buffer) and the files written.

Every wait is bounded; every process started here is ended when the desktop closes, also when
a check fails. A test exits 77 (skipped) when a tool is missing."""

import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def equal(actual, expected, what):
    if actual != expected:
        raise Failure("%s: expected %r, got %r" % (what, expected, actual))


class Image:
    """A screenshot: 24-bit pixels in rows."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        row = self.rows[y]
        return (row[3 * x], row[3 * x + 1], row[3 * x + 2])

    def count(self, colour, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        n = 0
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.rows[y]
            for x in range(max(0, x0), min(self.width, x1)):
                if (row[3 * x], row[3 * x + 1], row[3 * x + 2]) == colour:
                    n += 1
        return n

    def bounds_of(self, colour, box=None):
        """The smallest rectangle (x0, y0, x1, y1), ends excluded, holding every pixel of that
        colour in `box`; None when there is none."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        x0, y0, x1, y1 = max(0, x0), max(0, y0), min(self.width, x1), min(self.height, y1)
        needle = bytes(colour)
        found = None
        for y in range(y0, y1):
            row = self.rows[y]
            first = row.find(needle, 3 * x0, 3 * x1)
            while first >= 0 and first % 3:
                first = row.find(needle, first + 1, 3 * x1)
            if first < 0:
                continue
            last = row.rfind(needle, 3 * x0, 3 * x1)
            while last >= 0 and last % 3:
                last = row.rfind(needle, 3 * x0, last + 2)
            a, b = first // 3, last // 3 + 1
            found = [a, y, b, y + 1] if found is None else \
                [min(found[0], a), found[1], max(found[2], b), y + 1]
        return tuple(found) if found else None

    def dark(self, box, limit=96):
        """How many pixels in `box` are dark (every channel below `limit`): text, outlines."""
        x0, y0, x1, y1 = box
        n = 0
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.rows[y]
            for x in range(max(0, x0), min(self.width, x1)):
                if row[3 * x] < limit and row[3 * x + 1] < limit and row[3 * x + 2] < limit:
                    n += 1
        return n

    def save_png(self, path):
        import zlib
        raw = b"".join(b"\0" + bytes(r) for r in self.rows)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))

    def crop(self, x, y, w, h):
        return Image(w, h, [bytearray(self.rows[r][3 * x:3 * (x + w)]) for r in range(y, y + h)])


def parse_xwd(data):
    """Decodes an xwd dump of a TrueColor screen (32 bits a pixel) into an Image."""
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    check(bits_per_pixel in (24, 32), "xwd: %d bits a pixel is not handled" % bits_per_pixel)
    check((red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF),
          "xwd: the colour masks are not those of a 24-bit screen")
    step = bits_per_pixel // 8
    offset = header_size + 12 * ncolors
    # Least significant byte first: blue, green, red (and a pad byte at 32 bits).
    b, g, r = (0, 1, 2) if byte_order == 0 else (step - 1, step - 2, step - 3)
    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        line = data[start:start + step * width]
        row = bytearray(3 * width)
        row[0::3] = line[r::step]
        row[1::3] = line[g::step]
        row[2::3] = line[b::step]
        rows.append(row)
    return Image(width, height, rows)


class Desktop:
    """with Desktop(scale=2) as d: ... starts Xvfb, openbox and, through d.start(), the program."""

    def __init__(self, quillon, width=1600, height=1000, scale=None, dpi=96, home_writable=True):
        self.quillon = os.path.abspath(quillon)
        self.width, self.height, self.scale, self.dpi = width, height, scale, dpi
        self.procs = []
        self.tmp = tempfile.mkdtemp(prefix="quillon-desktop-")
        self.home = os.path.join(self.tmp, "home")
        os.makedirs(self.home)
        self.runtime = os.path.join(self.tmp, "run")
        os.makedirs(self.runtime, mode=0o700)
        # The screen as the server shows it: Xvfb keeps its frame buffer in this folder.
        self.framebuffer = os.path.join(self.tmp, "fb")
        os.makedirs(self.framebuffer)
        self.home_writable = home_writable
        self.display = None
        self.program = None

    # ------------------------------------------------------------- life cycle

    def __enter__(self):
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing:
            print("skipped: missing " + " ".join(missing))
            self.close()
            sys.exit(77)
        try:
            self._start_x()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _spawn(self, args, env=None, **kw):
        p = subprocess.Popen(args, env=env, start_new_session=True, **kw)
        self.procs.append(p)
        return p

    def _start_x(self):
        r, w = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(w), "-screen", "0",
                     "%dx%dx24" % (self.width, self.height), "-dpi", str(self.dpi),
                     "-fbdir", self.framebuffer, "-nolisten", "tcp", "-noreset"],
                    pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            check(time.monotonic() < deadline, "Xvfb did not start")
            chunk = os.read(r, 16)
            check(chunk, "Xvfb ended at start")
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display,
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "LANG": "C.UTF-8",
        }
        self._spawn(["openbox", "--sm-disable"], env=dict(self.env),
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x(["xprop", "-root"]),
                  "the window manager did not start")

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.procs):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                p.wait(timeout=5)
        self.procs = []
        if os.path.isdir(self.home):
            os.chmod(self.home, 0o755)
        shutil.rmtree(self.tmp, ignore_errors=True)

    # ------------------------------------------------------------- the program

    def start(self, *args, env=None):
        """Starts the real program on the desktop (not the offscreen platform)."""
        e = dict(self.env)
        if self.scale is not None:
            e["QT_SCALE_FACTOR"] = str(self.scale)
        e.update(env or {})
        self.log = open(os.path.join(self.tmp, "quillon.log"), "w+")
        self.program = self._spawn([self.quillon] + list(args), env=e, stdout=self.log,
                                   stderr=subprocess.STDOUT, cwd=self.home)
        if not self.home_writable:
            os.chmod(self.home, 0o555)
        return self.program

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def wait_exit(self, timeout=20):
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s" % timeout)

    # ------------------------------------------------------------- X helpers

    def x(self, args, check_rc=True, timeout=20):
        try:
            r = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s did not end" % " ".join(args))
        if check_rc and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), r.stderr.strip()))
        return r.stdout

    def wait(self, predicate, what, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if self.program is not None and self.program.poll() is not None:
                raise Failure("%s; the program ended (status %s): %s" %
                              (what, self.program.returncode, self.output()[-2000:]))
            if time.monotonic() > deadline:
                raise Failure(what)
            time.sleep(0.05)

    def windows(self, title):
        """Ids of the shown windows whose title is exactly `title`."""
        out = self.x(["xdotool", "search", "--onlyvisible", "--name",
                      "^" + re.escape(title) + "$"], check_rc=False)
        return [int(w) for w in out.split()]

    def windows_matching(self, pattern):
        """Ids of the shown windows whose title matches the regular expression."""
        out = self.x(["xdotool", "search", "--onlyvisible", "--name", pattern], check_rc=False)
        return [int(w) for w in out.split()]

    def titles(self):
        """The titles of the shown windows, for messages."""
        ids = self.x(["xdotool", "search", "--onlyvisible", "--name", "."], check_rc=False)
        return [self.x(["xdotool", "getwindowname", w], check_rc=False).strip()
                for w in ids.split()]

    def window(self, title, timeout=20):
        try:
            return self.wait(lambda: (self.windows(title) or [None])[0],
                             "no window \"%s\" was shown" % title, timeout)
        except Failure as f:
            raise Failure("%s (shown: %r)" % (f, self.titles()))

    def geometry(self, wid):
        """The client area of a window on the screen: (x, y, width, height)."""
        out = self.x(["xwininfo", "-id", str(wid)])
        value = lambda name: int(re.search(name + r":\s+(-?\d+)", out).group(1))
        return (value("Absolute upper-left X"), value("Absolute upper-left Y"),
                value("Width"), value("Height"))

    def stable_geometry(self, wid, settle=0.4, timeout=20):
        """The geometry once it has not changed for `settle` seconds (the window manager places
        and maximises windows after they are mapped)."""
        last, since = None, time.monotonic()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            g = self.geometry(wid)
            if g != last:
                last, since = g, time.monotonic()
            elif time.monotonic() - since >= settle:
                return g
            time.sleep(0.05)
        raise Failure("the window kept changing its geometry: %r" % (last,))

    def popups(self):
        """The shown windows that the window manager leaves alone (tooltips, menus, lists):
        [(id, (x, y, width, height))]."""
        found = []
        for line in self.x(["xwininfo", "-root", "-children"]).splitlines():
            m = re.match(r"\s*(0x[0-9a-f]+) .*\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)", line)
            if not m or (m.group(2), m.group(3)) == ("1", "1"):
                continue
            info = self.x(["xwininfo", "-id", m.group(1)], check_rc=False)
            if "IsViewable" in info and re.search(r"Override Redirect State:\s+yes", info):
                found.append((int(m.group(1), 16), tuple(int(m.group(i)) for i in (4, 5, 2, 3))))
        return found

    def active_window(self):
        out = self.x(["xdotool", "getactivewindow"], check_rc=False).strip()
        return int(out) if out else None

    def focus_name(self):
        """The window title of the active window."""
        wid = self.active_window()
        return self.x(["xdotool", "getwindowname", str(wid)]).strip() if wid else None

    def screenshot(self):
        """The screen's pixels, read from the server's frame buffer. (Asking the server for the
        root window's image, as xwd does, gives black for a window shown over another window
        of the same program: the content of that region is undefined for such a request.)"""
        with open(os.path.join(self.framebuffer, "Xvfb_screen0"), "rb") as f:
            data = f.read()
        check(len(data) > 100, "the frame buffer holds no picture")
        return parse_xwd(data)

    def wait_pixels(self, predicate, what, timeout=20):
        """Takes screenshots until predicate(image) holds; returns that image."""
        holder = []

        def probe():
            img = self.screenshot()
            holder[:] = [img]
            return predicate(img)

        try:
            self.wait(probe, what, timeout)
        except Failure:
            if holder:
                path = os.path.join(os.environ.get("QUILLON_DESKTOP_FAILED", tempfile.gettempdir()),
                                    "quillon-desktop-failed.png")
                holder[0].save_png(path)
                raise Failure("%s (screen saved to %s)" % (what, path))
            raise
        return holder[0]

    def move(self, x, y):
        # Not --sync: it waits for ever when the pointer is already there.
        self.x(["xdotool", "mousemove", str(x), str(y)])
        time.sleep(0.05)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.x(["xdotool", "click", str(button)])

    def double_click(self, x, y, button=1):
        self.move(x, y)
        self.x(["xdotool", "click", "--repeat", "2", "--delay", "80", str(button)])

    def key(self, *keys, window=None):
        args = ["xdotool", "key", "--delay", "30"]
        self.x(args + list(keys))

    def type(self, text):
        self.x(["xdotool", "type", "--delay", "30", text])


def run(main):
    """Runs a test's main(quillon) with a hard time limit; a failed check exits 1."""
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(Failure("time limit reached")))
    signal.alarm(int(os.environ.get("QUILLON_DESKTOP_TIMEOUT", "150")))
    if len(sys.argv) < 2:
        print("usage: %s QUILLON" % sys.argv[0])
        sys.exit(2)
    try:
        main(sys.argv[1])
    except Failure as f:
        print("FAILED: %s" % f)
        sys.exit(1)
    print("ok")
