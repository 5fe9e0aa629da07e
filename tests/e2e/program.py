"""The running program as seen from outside: where its controls are on the
screen, and the person's actions on them."""
import os
import time

from xpixels import XPixels
from xsession import Failure, poll

TWIPS_PER_PIXEL = 15  # 96 DPI
# The start browser's caption, which a maximised browser adds to the frame's title.
BROWSER_PART = " - [Glimmerbox - Tarvolin]"


class Program:
    def __init__(self, x, binary, folder, args=()):
        self.x = x
        self.folder = folder
        self.proc = x.start([binary] + list(args), cwd=folder)
        self.frame = self._wait_frame()
        # The frame's own caption, as it shows before any picture's name.
        self.caption = x.window_name(self.frame)[:-len(BROWSER_PART)]
        self.px = XPixels(x.env["DISPLAY"], self.frame if x.rootless else None)
        self.left, self.top = self._client_origin()
        self._wait_active()

    # Seconds the frame may take to show: a guard against a hang, not a speed check.
    start_timeout = 10.0

    def _wait_frame(self):
        """The frame window; a program that ends first, or never shows it,
        is reported with what the screen held instead."""
        def shown():
            if self.proc.poll() is not None:
                raise Failure(f"the program ended before its frame showed: exit {self.proc.returncode}")
            return self.x.find_window(r" - \[Glimmerbox - Tarvolin\]$")
        try:
            return poll("the frame window", shown, timeout=self.start_timeout)
        except Failure as e:
            raise Failure(f"{e}; windows shown: {self.x.window_names()}") from None

    def _wait_active(self):
        poll("the frame active", lambda: self.x.run(["xdotool", "getactivewindow"], check=False).strip() == self.frame)

    def _client_origin(self):
        """The browser's client area: the file list's white inside starts one
        border pixel below the list's top (135 twips, 9 pixels)."""
        left, top, _, _ = self.x.geometry(self.frame)

        def find():
            for i in range(0, 120):
                if self.px.pixel(left + 20, top + i) == (255, 255, 255):
                    return top + i
            return None
        white = poll("the file list on screen", find)
        # Once the first paint has settled, the answer no longer changes.
        previous = None
        while white != previous:
            previous = white
            time.sleep(0.05)
            white = poll("the file list on screen", find)
        return left, white - 10

    def at(self, left_twips, top_twips):
        """Screen position of a point of the browser's client area."""
        return (self.left + round(left_twips / TWIPS_PER_PIXEL), self.top + round(top_twips / TWIPS_PER_PIXEL))

    def pixel(self, left_twips, top_twips):
        return self.px.pixel(*self.at(left_twips, top_twips))

    def click(self, left_twips, top_twips, double=False):
        self.x.click(*self.at(left_twips, top_twips), double=double)

    def click_file(self, row, double=False):
        # File list at (60, 135) twips; rows about 14 pixels tall.
        sx, sy = self.at(60, 135)
        self.x.click(sx + 20, sy + 8 + row * 14, double=double)

    def choose_action(self, index):
        """Picks an entry of the action selector from its drop-down list."""
        sx, sy = self.at(60 + 1935, 5775)
        self.x.click(sx - 8, sy + 10)
        poll("the drop-down list", lambda: self.x.find_window(".*", visible=True) is not None)
        self.x.key("Home", *(["Down"] * index), "Return")

    def title(self):
        return self.x.window_name(self.frame)

    def wait_title(self, want, timeout=10):
        poll(f"frame title {want!r}", lambda: self.title() == want, timeout=timeout)

    def screen_pixel(self, sx, sy):
        return self.px.pixel(sx, sy)

    def close(self):
        self.x.run(["wmctrl", "-i", "-c", self.frame], check=False)
        poll("the program to end", lambda: self.proc.poll() is not None)
        if self.proc.returncode != 0:
            raise Failure(f"exit code {self.proc.returncode}")


def near(colour, want, tolerance=12):
    return colour is not None and all(abs(a - b) <= tolerance for a, b in zip(colour, want))


def file_gone(path):
    return not os.path.lexists(path)
