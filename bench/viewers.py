#!/usr/bin/env python3
"""Glimmerbox beside the picture viewers of Debian 12, each in its own private
X server with its own HOME and XDG folders, on two 4000 x 3000 JPEGs of about
3 MB:
  (i)  the next photo on screen after the key, having looked at the current
       one for 1.5 s;
  (ii) cold start to the first photo on screen (Glimmerbox: start, then
       Home; a viewer: started on the photo).
A photo is on screen when its plain coloured corner is seen anywhere on the
screen, read back from the X server. Prints medians of RUNS (5) per viewer;
a viewer that is not installed is a row saying so (bench/setup-viewers).
  python3 bench/viewers.py [build/glimmerbox]
SHOTS=folder keeps a screenshot of each run that fails."""
import ctypes
import ctypes.util
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from xsession import XSession, poll  # noqa: E402
from xpixels import XPixels  # noqa: E402
import startup  # noqa: E402  (bench/, the folder of this script)

RUNS = int(os.environ.get("RUNS", "5"))
LOOK_S = 1.5
WIDTH, HEIGHT = 1280, 800
RED, GREEN = (200, 40, 40), (40, 200, 40)
FIRST, SECOND = "b_photo.jpg", "c_photo.jpg"


def make_pictures(folder):
    """Camera-sized photos: noise keeps JPEG from squeezing them. Plain blocks
    are what is watched for: one larger than the screen at the top-left, for
    a picture shown at its own size from its corner, one in the middle for a
    picture shown at its own size centred; a viewer that fits the photo to
    its window still shows the corner block some 300 pixels wide."""
    os.makedirs(folder, exist_ok=True)
    for name, corner in ((FIRST, RED), (SECOND, GREEN)):
        subprocess.run(["convert", "-size", "4000x3000", "xc:rgb(128,128,128)", "-attenuate", "0.7",
                        "+noise", "Gaussian", "-fill", "rgb%s" % (corner,), "-draw", "rectangle 0,0 1400,900",
                        "-draw", "rectangle 1300,1050 2700,1950", "-quality", "88", os.path.join(folder, name)], check=True)


class Screen(XPixels):
    """The whole screen read at once, sampled on a grid."""
    STEP_X, STEP_Y = 16, 16

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                    ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                    ("bits_per_pixel", ctypes.c_int)]

    def count(self, colour, tol=40):
        """How many grid points show the colour."""
        image = self.x.XGetImage(self.display, self.root, 0, 0, WIDTH, HEIGHT, 0xFFFFFFFF, 2)
        if not image:
            return 0
        try:
            info = self.XImage.from_address(image)
            if info.bits_per_pixel != 32:
                raise RuntimeError("expected a 32-bit screen")
            data = ctypes.string_at(info.data, info.bytes_per_line * info.height)
            r, g, b = colour
            hits = 0
            stride = 4 * self.STEP_X
            for y in range(0, info.height, self.STEP_Y):
                row = data[y * info.bytes_per_line:y * info.bytes_per_line + 4 * info.width]
                # Little-endian 32-bit pixels: blue, green, red, pad.
                for bb, gg, rr in zip(row[0::stride], row[1::stride], row[2::stride]):
                    if abs(rr - r) <= tol and abs(gg - g) <= tol and abs(bb - b) <= tol:
                        hits += 1
            return hits
        finally:
            self.destroy(image)

    def __init__(self, display_name):
        super().__init__(display_name)
        # Also a macro in Xlib's header, but libX11 exports the function.
        self.destroy = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6").XDestroyImage
        self.destroy.argtypes = [ctypes.c_void_p]

    def shows(self, colour):
        return self.count(colour) >= 30


def wait_until(fn, timeout=20.0):
    return startup.wait_until(fn, timeout)


class Viewer:
    def __init__(self, name, argv, next_key, package=None, both_files=False, start_dialog=False):
        self.name, self.argv, self.next_key = name, argv, next_key
        self.package = package or name
        # A viewer that opens an untitled notice beside its first picture
        # (ristretto, without a thumbnail service): closed during the look
        # (lengthened when it comes late), before the key that is timed.
        self.start_dialog = start_dialog
        # Most viewers browse the folder of the file they open; others show
        # only the files they are given.
        self.files = [FIRST, SECOND] if both_files else [FIRST]

    def installed(self):
        return shutil.which(self.argv[0]) is not None

    def open(self, x, folder):
        """Starts the viewer on the first photo; the timer runs from here."""
        return x.start(self.argv + [os.path.join(folder, f) for f in self.files], cwd=folder)


class Glimmerbox(Viewer):
    def __init__(self, binary):
        super().__init__("Glimmerbox", [binary], "Down")

    def installed(self):
        return os.access(self.argv[0], os.X_OK)

    def open(self, x, folder):
        app = x.start(self.argv, cwd=folder)
        frame = wait_until(lambda: x.find_window(r"^v1\.7"), timeout=10)
        # The list takes keys once the window manager has made the frame active.
        poll("the frame active", lambda: x.run(["xdotool", "getactivewindow"], check=False).strip() == frame,
             interval=0.002)
        x.key("Home")
        return app


def active_window(x):
    out = x.run(["xdotool", "getactivewindow"], check=False).strip()
    return out or None


def one_run(viewer, folder):
    x = XSession(WIDTH, HEIGHT)
    phase = "the first photo"
    try:
        screen = Screen(x.env["DISPLAY"])
        t0 = time.monotonic()
        app = viewer.open(x, folder)
        wait_until(lambda: screen.shows(RED))
        phase = "the next photo"
        cold = time.monotonic() - t0
        # Keys reach the viewer's window once it is the active one.
        poll("an active window", lambda: active_window(x))
        look_ends = time.monotonic() + LOOK_S
        if viewer.start_dialog:
            def notice():
                wid = active_window(x)
                return wid if wid is not None and x.window_name(wid) == "" else None
            try:
                poll("the notice", notice, timeout=3.0, interval=0.02)

                def close_notice():  # asked again: a request right after it maps can be lost
                    wid = notice()
                    if wid:
                        x.run(["wmctrl", "-i", "-c", wid], check=False)
                    return wid is None
                poll("the notice closed", close_notice, interval=0.1)
            except Exception as e:
                if os.environ.get("SHOTS"):
                    print(f"{viewer.name}: no notice ({e})", file=sys.stderr)
            look_ends = max(look_ends, time.monotonic() + 0.3)
        time.sleep(max(0.0, look_ends - time.monotonic()))
        t1 = time.monotonic()
        x.key(viewer.next_key)
        wait_until(lambda: screen.shows(GREEN))
        following = time.monotonic() - t1
        app.terminate()
        try:
            app.wait(timeout=5)
        except subprocess.TimeoutExpired:
            app.kill()
        return cold, following
    except Exception as e:
        shot = os.environ.get("SHOTS")
        if shot:
            x.screenshot(os.path.join(shot, viewer.package + ".png"))
        raise RuntimeError(f"{phase}: {e}")
    finally:
        x.close()


def ms(values):
    return f"{statistics.median(values) * 1000:.0f} ({min(values) * 1000:.0f}-{max(values) * 1000:.0f})"


def main():
    binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/glimmerbox")
    viewers = [
        Glimmerbox(binary),
        Viewer("feh", ["feh"], "Right", both_files=True),
        Viewer("gpicview", ["gpicview"], "Right"),
        Viewer("ristretto", ["ristretto"], "Right", start_dialog=True),
        Viewer("qimgv", ["qimgv"], "Right"),
        Viewer("gThumb", ["gthumb"], "Page_Down", "gthumb"),
        Viewer("Eye of GNOME", ["eog"], "Right", "eog"),
    ]
    folder_parent = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"glimmerbox-viewers-{os.getpid()}")
    folder = os.path.join(folder_parent, "pictures")
    try:
        make_pictures(folder)
        size_mb = os.path.getsize(os.path.join(folder, FIRST)) / 1e6
        rows = []
        for viewer in viewers:
            if not viewer.installed():
                rows.append((viewer.name, f"not installed ({viewer.package}; bench/setup-viewers)", ""))
                continue
            colds, nexts = [], []
            try:
                for _ in range(RUNS):
                    cold, following = one_run(viewer, folder)
                    colds.append(cold)
                    nexts.append(following)
                rows.append((viewer.name, ms(nexts), ms(colds)))
            except Exception as e:  # a viewer that misbehaves is a row too
                rows.append((viewer.name, f"failed: {e}", ""))
            print(f"  {viewer.name}: done", file=sys.stderr, flush=True)
        load = open("/proc/loadavg").read().split()[:3]
        print(f"4000x3000 JPEG of {size_mb:.1f} MB, {WIDTH}x{HEIGHT} screen, median (min-max) of {RUNS} runs, "
              f"ms; load average {' '.join(load)} on {os.cpu_count()} cores")
        print(f"| viewer | next photo on screen after the key ({LOOK_S} s on the one before) "
              f"| cold start to the photo on screen |")
        print("|---|---|---|")
        for name, following, cold in rows:
            print(f"| {name} | {following} | {cold} |")
    finally:
        shutil.rmtree(folder_parent, ignore_errors=True)


if __name__ == "__main__":
    main()
