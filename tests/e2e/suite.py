#!/usr/bin/env python3
"""End-to-end checks of the real program in a private X server, driven with
XTEST keys and clicks as a person would. Every effect is polled for: window
titles and states, files on disk, the settings store, pixels on screen.

usage: suite.py BINARY [SCREENSHOT_FOLDER] [SCENARIO ...]"""
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from program import BROWSER_PART, Program, file_gone, near  # noqa: E402
from xsession import Failure, XSession, poll  # noqa: E402

RED, BLUE, GREEN, YELLOW = (255, 0, 0), (0, 0, 255), (0, 160, 0), (255, 255, 0)
WHITE = (255, 255, 255)


def convert(*args):
    subprocess.run(["convert"] + list(args), check=True)


def noisy_photos(folder, count):
    """A folder of count links to one big noisy photo, which decodes slowly
    enough to act while a thumbnail load runs."""
    os.makedirs(folder)
    photo = os.path.join(folder, "p000.jpg")
    convert("-size", "3000x2000", "xc:rgb(128,128,128)", "-attenuate", "0.7", "+noise", "Gaussian",
            "-quality", "85", photo)
    for i in range(1, count):
        os.link(photo, os.path.join(folder, f"p{i:03d}.jpg"))


def make_pictures(folder):
    """beach.jpg (blue), big.BMP (green with a yellow corner), red.bmp."""
    os.makedirs(folder, exist_ok=True)
    convert("-size", "300x200", "xc:rgb(0,0,255)", "-quality", "95", os.path.join(folder, "beach.jpg"))
    convert("-size", "2400x1600", "xc:rgb(0,160,0)", "-fill", "rgb(255,255,0)",
            "-draw", "rectangle 0,0 99,99", "BMP3:" + os.path.join(folder, "big.BMP"))
    convert("-size", "300x200", "xc:rgb(255,0,0)", "BMP3:" + os.path.join(folder, "red.bmp"))
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("not a picture\n")


class Suite:
    def __init__(self, binary, shots):
        self.binary = binary
        self.shots = shots
        self.x = XSession()
        self.home = self.x.env["HOME"]

    def fresh_folder(self, name):
        folder = os.path.join(self.x.tmp, name)
        shutil.rmtree(folder, ignore_errors=True)
        make_pictures(folder)
        return folder

    def shot(self, name):
        if self.shots:
            self.x.screenshot(os.path.join(self.shots, name + ".png"))

    def start(self, folder, args=()):
        return Program(self.x, self.binary, folder, args)

    def close_window(self, wid):
        self.x.run(["wmctrl", "-i", "-c", wid])

    def client_area(self, wid):
        """Left, top, width, height of a window's inside."""
        return self.x.geometry(wid)

    # --- scenarios -------------------------------------------------------

    def startup_and_stepping(self):
        """Titles, the listed pictures shown by clicks, Down and Up, at their own size;
        arguments, Qt's own options too, are ignored."""
        p = self.start(self.fresh_folder("stepping"),
                       args=["--ignored", "whatever.jpg", "-reverse", "-platform", "offscreen"])
        if not p.caption:
            raise Failure(f"the frame has no caption of its own: {p.title()!r}")
        self.check_not_mirrored(p)
        p.click_file(0)  # beach.jpg: lower-case names are listed too
        poll("beach.jpg shown", lambda: near(p.pixel(2130 + 150, 135 + 150), BLUE))
        # At its own size: 300 x 200 pixels from the home position.
        home_x, home_y = p.at(2130, 135)
        if not (near(p.screen_pixel(home_x + 298, home_y + 198), BLUE)
                and not near(p.screen_pixel(home_x + 302, home_y + 100), BLUE)
                and not near(p.screen_pixel(home_x + 100, home_y + 202), BLUE)):
            raise Failure("beach.jpg is not shown at 300 x 200")
        self.shot("browser")
        p.x.key("Down")
        poll("big.BMP shown", lambda: near(p.pixel(2130 + 3000, 135 + 3000), GREEN))
        p.x.key("Down")
        poll("red.bmp shown", lambda: near(p.pixel(2130 + 150, 135 + 150), RED))
        p.x.key("Up")
        poll("big.BMP shown again", lambda: near(p.pixel(2130 + 3000, 135 + 3000), GREEN))
        p.close()

    def check_not_mirrored(self, p):
        """The maximised child's window buttons are at the right of the
        frame's menu bar, whose left part is empty."""
        left, top, _, _ = p.x.geometry(p.frame)
        for dx in (29, 49):
            if any(max(c) < 140 for c in p.x.column(left + dx, top, p.top - top)):
                raise Failure("the window is mirrored: -reverse was obeyed")

    def no_display(self):
        """Without an X display: one line naming it and exit status 1, whatever
        the arguments ask of Qt."""
        for display, args in ((":bogus", []), (None, []), (":bogus", ["-platform", "offscreen"])):
            env = {k: v for k, v in self.x.env.items() if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY")}
            if display:
                env["DISPLAY"] = display
            want = (f'glimmerbox: cannot open X display "{display}"' if display
                    else "glimmerbox: cannot open X display (DISPLAY is not set)")
            try:
                res = subprocess.run([self.binary] + args, env=env, cwd=self.home, capture_output=True,
                                     text=True, errors="replace", timeout=15)
            except subprocess.TimeoutExpired:
                raise Failure(f"still running with DISPLAY={display} {args}")
            if res.returncode != 1 or res.stderr != want + "\n":
                raise Failure(f"DISPLAY={display} {args}: exit {res.returncode}, stderr {res.stderr!r}")

    def display_lost(self):
        """The X server going away ends the program with status 1 and Qt's one
        line, whatever it was doing, and leaves no temporary file of ours and
        no tool running: a picture shown, Auto Show with the wallpaper tool
        still running, and Thumbnail View loading large photos (decoding
        threads busy, thumbnails being written), the last several times."""
        photos = os.path.join(self.x.tmp, "lost-photos")
        if not os.path.isdir(photos):
            noisy_photos(photos, 200)
        tries = 0
        for state in ("picture", "auto_show", "thumbnails", "thumbnails", "thumbnails", "thumbnails", "thumbnails"):
            x = XSession()
            try:
                # A wallpaper tool that never ends, with a helper in its group.
                tools = os.path.join(x.tmp, "bin")
                os.makedirs(tools)
                pids = os.path.join(x.tmp, "tool-pids")
                with open(os.path.join(tools, "feh"), "w") as f:
                    f.write(f"#!/bin/sh\nsleep 60 & echo $! >> {pids}\necho $$ >> {pids}\nexec sleep 60\n")
                os.chmod(os.path.join(tools, "feh"), 0o755)
                x.env["PATH"] = tools + ":" + x.env["PATH"]
                folder = photos if state == "thumbnails" else os.path.join(x.tmp, "pictures")
                if state != "thumbnails":
                    make_pictures(folder)
                p = Program(x, self.binary, folder)
                cache = os.path.join(x.env["XDG_CACHE_HOME"], "thumbnails", "normal")
                if state == "picture":
                    p.click_file(0)
                elif state == "auto_show":
                    p.choose_action(1)
                    poll("the wallpaper tool", lambda: os.path.exists(pids) and len(open(pids).read().split()) == 2)
                else:
                    p.choose_action(4)
                    poll("thumbnails being written", lambda: os.path.isdir(cache) and len(os.listdir(cache)) > tries,
                         timeout=30)
                    tries += 4
                x.procs[0].kill()
                poll("the program to end", lambda: p.proc.poll() is not None, timeout=15)
                err = p.proc.stderr.read().decode(errors="replace")
                if p.proc.returncode != 1 or not err.endswith("\n") \
                        or not err.splitlines()[-1].startswith("The X11 connection broke"):
                    raise Failure(f"{state}: exit {p.proc.returncode}, stderr {err!r}")
                left = [os.path.join(d, n) for d, _, names in os.walk(x.env["HOME"]) for n in names
                        if re.search(r"\.glimmerbox-tmp\.|\.(bmp|png)\.[A-Za-z0-9]{6}$", n)]
                if left:
                    raise Failure(f"{state}: temporary files left behind: {left}")
                for pid in (open(pids).read().split() if os.path.exists(pids) else []):
                    poll(f"{state}: tool process {pid} ended", lambda: process_gone(pid), timeout=5)
            finally:
                x.close()

    def scroll_bars(self):
        """A picture larger than the screen gets bars that move it."""
        p = self.start(self.fresh_folder("scroll"))
        p.click_file(1)  # big.BMP, yellow 100 x 100 corner at the home position
        corner = (2130 + 95 * 15, 135 + 50 * 15)
        poll("big.BMP shown", lambda: near(p.pixel(*corner), YELLOW))
        self.shot("scroll-bars")
        # The vertical bar's down arrow: the bar runs from the top to HScroll1's
        # top, at the screen's right edge.
        sx, sy = p.at(0, 6315)
        inside_left, _, inside_width, _ = self.client_area(p.frame)
        right = inside_left + inside_width - 1
        p.x.click(right - 6, sy - 8)
        # The first step moves the picture from its home to the window's top,
        # 10 twips up: the yellow corner now ends 9-10 pixels higher.
        poll("the picture moved up", lambda: near(p.pixel(2130 + 50 * 15, 135 + 92 * 15), GREEN))
        if not near(p.pixel(2130 + 50 * 15, 0 + 80 * 15), YELLOW):
            raise Failure("the picture did not move to the top")
        p.close()

    def full_window(self):
        p = self.start(self.fresh_folder("full"))
        p.click_file(0)
        poll("beach.jpg shown", lambda: near(p.pixel(2130 + 150, 135 + 150), BLUE))
        p.click(2130 + 1500, 135 + 1500)
        poll("the picture in the top-left corner", lambda: near(p.pixel(60 + 150, 135 + 150), BLUE))
        if near(p.pixel(2130 + 4000, 135 + 150), BLUE):
            raise Failure("the picture is still at its home position")
        self.shot("full-window")
        p.click(60 + 1500, 135 + 1500)
        poll("the layout back", lambda: near(p.pixel(2130 + 150, 135 + 150), BLUE)
             and near(p.pixel(60 + 150, 135 + 2500), WHITE))
        p.close()

    def delete(self):
        folder = self.fresh_folder("delete")
        locked = os.path.join(folder, "locked.bmp")
        shutil.copy(os.path.join(folder, "red.bmp"), locked)
        os.chmod(locked, 0o444)
        p = self.start(folder)
        p.click_file(0)  # beach.jpg
        poll("beach.jpg shown", lambda: near(p.pixel(2130 + 150, 135 + 150), BLUE))
        p.x.key("Delete")
        poll("beach.jpg deleted", lambda: file_gone(os.path.join(folder, "beach.jpg")))
        # The next file takes its place and is shown: big.BMP.
        poll("big.BMP shown", lambda: near(p.pixel(2130 + 3000, 135 + 3000), GREEN))
        p.x.key("Down")  # locked.bmp, read-only: stays
        poll("locked.bmp shown", lambda: near(p.pixel(2130 + 150, 135 + 150), RED))
        p.x.key("shift+Delete")
        time.sleep(0.3)  # a refusal has no visible effect to poll for
        if file_gone(locked):
            raise Failure("a read-only file was deleted")
        if sorted(os.listdir(folder)) != ["big.BMP", "locked.bmp", "notes.txt", "red.bmp"]:
            raise Failure(f"unexpected files: {sorted(os.listdir(folder))}")
        p.close()

    def rename(self):
        folder = self.fresh_folder("rename")
        p = self.start(folder)
        p.click_file(2, double=True)  # red.bmp
        dialog = poll("the rename dialog", lambda: self.x.find_window("^New File Name$"))
        self.shot("rename-dialog")
        self.x.key("ctrl+a")
        self.x.type("sunset.bmp")
        self.x.key("Return")
        poll("red.bmp renamed", lambda: os.path.exists(os.path.join(folder, "sunset.bmp"))
             and file_gone(os.path.join(folder, "red.bmp")))
        poll("the dialog closed", lambda: self.x.find_window("^New File Name$") is None)
        # The browser that other windows use comes up in front.
        p.wait_title(p.caption + " - [Glimmerbox (Tarvolin)]")
        # A taken name is refused with a message and the dialog stays.
        p.click_file(0, double=True)  # beach.jpg in the new browser
        poll("the rename dialog", lambda: self.x.find_window("^New File Name$"))
        self.x.key("ctrl+a")
        self.x.type("big.BMP")
        self.x.key("Return")
        poll("the refusal", lambda: self.x.find_window("^Glimmerbox$"))
        self.shot("rename-refused")
        self.x.key("Return")
        poll("the message gone", lambda: self.x.find_window("^Glimmerbox$") is None)
        if not self.x.find_window("^New File Name$"):
            raise Failure("the dialog closed after a refused rename")
        self.x.key("Escape")
        poll("the dialog closed", lambda: self.x.find_window("^New File Name$") is None)
        if sorted(os.listdir(folder)) != ["beach.jpg", "big.BMP", "notes.txt", "sunset.bmp"]:
            raise Failure(f"unexpected files: {sorted(os.listdir(folder))}")
        del dialog
        p.close()

    def store_value(self, name):
        path = os.path.join(self.home, ".config", "glimmerbox", "registry.reg")
        try:
            with open(path, encoding="latin-1") as f:
                for line in f:
                    if line.startswith(f'"{name}"='):
                        return line.split("=", 1)[1].strip().strip('"')
        except FileNotFoundError:
            return None
        return None

    def root_pixel(self, p, sx, sy):
        return p.screen_pixel(sx, sy)

    def minimise(self, p):
        self.x.run(["xdotool", "windowminimize", p.frame])
        poll("the frame minimised", lambda: self.x.is_minimized(p.frame))

    def restore(self, p):
        self.x.run(["wmctrl", "-i", "-a", p.frame])
        poll("the frame restored and active", lambda: not self.x.is_minimized(p.frame)
             and self.x.run(["xdotool", "getactivewindow"], check=False).strip() == p.frame
             and near(p.pixel(60 + 150, 135 + 2500), WHITE))

    def wallpaper(self):
        folder = self.fresh_folder("wallpaper")
        p = self.start(folder)
        width, height = 1280, 800
        # Tiled: red.bmp, handed over under its own path.
        p.click_file(2)
        poll("red.bmp shown", lambda: near(p.pixel(2130 + 150, 135 + 150), RED))
        p.choose_action(3)
        poll("the tiled style stored", lambda: self.store_value("TileWallpaper") == "1"
             and self.store_value("WallpaperStyle") == "1")
        p.wait_title("red.bmp - [Glimmerbox - Tarvolin]")
        self.minimise(p)
        # Tiles of 300 x 200 from the top-left corner fill the screen.
        poll("the tiled wallpaper", lambda: near(p.screen_pixel(5, 5), RED)
             and near(p.screen_pixel(width - 5, height - 5), RED)
             and near(p.screen_pixel(305, 205), RED))
        self.shot("wallpaper-tiled")
        self.restore(p)
        # Centred: beach.jpg, converted to preview.bmp first.
        p.click_file(0)
        poll("beach.jpg shown", lambda: near(p.pixel(2130 + 150, 135 + 150), BLUE))
        p.choose_action(2)
        poll("the centred style stored", lambda: self.store_value("TileWallpaper") == "0"
             and self.store_value("WallpaperStyle") == "0")
        preview = os.path.join(self.home, ".local", "share", "glimmerbox", "preview.bmp")
        poll("preview.bmp written", lambda: os.path.exists(preview))
        self.minimise(p)
        poll("the centred wallpaper", lambda: near(p.screen_pixel(width // 2, height // 2), BLUE)
             and not near(p.screen_pixel(5, 5), BLUE))
        self.shot("wallpaper-centred")
        self.restore(p)
        p.close()

    def thumbnails(self):
        folder = os.path.join(self.x.tmp, "thumbs")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for i in range(400):
            write_bmp(os.path.join(folder, f"p{i:03d}.bmp"), 120, 120, index_colour(i))  # larger than a cell
        p = self.start(folder)
        p.choose_action(4)
        wid = poll("the thumbnail window", lambda: self.x.find_window("^Thumbnails$"))
        t = poll("the first page", lambda: Thumbs.find(self, wid, p.px))
        if t.index_at(1, 0) != 1 or t.index_at(0, 1) != t.cols:
            raise Failure("the cells do not fill the page row by row")
        self.shot("thumbnails")
        # One arrow step down moves the grid one row.
        bar_x, bar_bottom = t.scroll_bar()
        self.x.click(bar_x, bar_bottom - 8)
        poll("one row down", lambda: t.index_at(0, 0) == t.cols)

        def rows_shown():  # the rows of pictures down the first column, once all are drawn
            r = next(r for r in range(1, 40) if t.index_at(0, r) is None)
            return r if all(t.index_at(0, k) == t.cols * (1 + k) for k in range(r)) else None
        seen = []
        rows = poll("the page drawn", lambda: seen.append(rows_shown()) or (len(seen) > 2 and seen[-1] is not None
                                                                           and seen[-1] == seen[-2] == seen[-3]
                                                                           and seen[-1]))
        # A click in the track below the thumb moves a page.
        self.x.click(bar_x, bar_bottom - 22)
        poll("one page down", lambda: t.index_at(0, 0) == t.cols * (1 + rows))
        # A click on a thumbnail shows it at its own size where the first cell stands.
        first = t.index_at(0, 0)
        sx, sy = t.cell_centre(0, 0)
        self.x.click(sx, sy)
        corner = t.past_box(0, 0)  # inside the picture at its own size, outside the cell's box
        poll("the enlarged picture", lambda: colour_index(p.px.pixel(*corner)) == first)
        self.shot("thumbnail-enlarged")
        # A few pixels off the first click, so that the two are not taken for
        # a double-click; the second cell, covered while the first was
        # enlarged, shows again.
        self.x.click(sx + 6, sy + 6)
        poll("the thumbnail put back", lambda: colour_index(p.px.pixel(*corner)) is None
             and t.index_at(1, 0) == first + 1)
        # Closing goes back to a browser window on the saved folder.
        self.close_window(wid)
        poll("the thumbnail window closed", lambda: self.x.find_window("^Thumbnails$") is None)
        p.wait_title(p.caption + " - [Glimmerbox (Tarvolin)]")
        p.close()

    def thumbnails_cancel(self):
        folder = os.path.join(self.x.tmp, "thumbs-cancel")
        shutil.rmtree(folder, ignore_errors=True)
        noisy_photos(folder, 300)
        p = self.start(folder)
        p.choose_action(4)
        progress = poll("the progress window", lambda: self.x.find_window("^Progress$"))
        self.shot("progress")
        x, y, _, _ = self.client_area(progress)
        self.x.click(x + (4860 + 427) // 15, y + (300 + 172) // 15)
        poll("the progress window gone", lambda: self.x.find_window("^Progress$") is None)
        # No thumbnail window; the browser other windows use is on the saved folder.
        p.wait_title(p.caption + " - [Glimmerbox (Tarvolin)]")
        if self.x.find_window("^Thumbnails$"):
            raise Failure("a thumbnail window was shown after Cancel")
        p.close()

    def hostile_pictures(self):
        """Broken, lying and absurd picture files: each is stepped through in
        the browser and loaded by the thumbnail grid; the program stays up."""
        folder = os.path.join(self.x.tmp, "hostile")
        shutil.rmtree(folder, ignore_errors=True)
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "..", "..", "scripts", "make-hostile-pictures"),
                        folder], check=True, stdout=subprocess.DEVNULL)
        write_bmp(os.path.join(folder, "000-first.bmp"), 60, 60, BLUE)
        p = self.start(folder)
        p.click_file(0)
        poll("the first picture", lambda: near(p.pixel(2130 + 450, 135 + 450), BLUE))
        # As many steps as files: past the last listed one, Down stays there.
        for _ in range(len(os.listdir(folder))):
            p.x.key("Down")
        p.choose_action(4)
        wid = poll("the thumbnail window", lambda: self.x.find_window("^Thumbnails$"), timeout=30)
        if p.proc.poll() is not None:
            raise Failure("the program ended")
        self.shot("hostile-thumbnails")
        self.close_window(wid)
        poll("the thumbnail window closed", lambda: self.x.find_window("^Thumbnails$") is None)
        p.close()

    def auto_show(self):
        folder = self.fresh_folder("autoshow")
        p = self.start(folder)
        p.choose_action(1)
        poll("the frame minimised", lambda: self.x.is_minimized(p.frame))
        centre = (640, 400)
        colours = {"beach.jpg": BLUE, "big.BMP": GREEN, "red.bmp": RED}
        order = ["beach.jpg", "big.BMP", "red.bmp"]

        def showing():
            c = p.screen_pixel(*centre)
            return next((n for n, want in colours.items() if near(c, want)), None)
        seen = []
        started = time.monotonic()
        while len(seen) < 5 and time.monotonic() - started < 12:
            name = showing()
            if name and (not seen or seen[-1] != name):
                seen.append(name)
            time.sleep(0.05)
        first = order.index(seen[0]) if seen else 0
        want = [order[(first + i) % 3] for i in range(5)]
        if seen != want:
            raise Failure(f"slideshow order {seen}, expected {want}")
        self.restore(p)
        p.wait_title(p.caption + BROWSER_PART, timeout=3)
        last = showing()
        time.sleep(1.5)  # no more slides once the frame is back
        if showing() != last:
            raise Failure("the slideshow went on after the frame was restored")
        p.close()


def process_gone(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


def write_bmp(path, width, height, colour):
    """A 24-bit bitmap of one colour."""
    import struct
    row = bytes((colour[2], colour[1], colour[0])) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def index_colour(i):
    return ((i * 5) % 256, 255 - (i * 3) % 256, 40 + (i // 256) * 90)


def colour_index(c):
    """The file index whose colour this is, or None."""
    if c is None:
        return None
    best = min(range(512), key=lambda i: sum(abs(a - b) for a, b in zip(c, index_colour(i))))
    return best if near(c, index_colour(best), tolerance=1) else None


class Thumbs:
    """The thumbnail window on screen, its grid as found there: the first
    cell's picture box and the steps to the next column and the next row."""

    def __init__(self, px, box, step_x, step_y, cols, area):
        self.px = px
        self.left, self.top, self.right, self.bottom = box
        self.step_x, self.step_y, self.cols = step_x, step_y, cols
        self.area = area

    @classmethod
    def find(cls, suite, wid, px):
        """The grid, once the first page shows picture 0, picture 1 beside it
        and the first picture of the second row under it; None before."""
        area = suite.client_area(wid)
        x0, y0, width, height = area

        def index(x, y):
            return colour_index(px.pixel(x, y))
        # The first picture: on the diagonal from the inside's top-left corner
        # (as the window's frame is reckoned, which may be off by some pixels).
        d = next((d for d in range(min(width, height, 300)) if index(x0 + d, y0 + d) == 0), None)
        if d is None:
            return None
        x, y = x0 + d, y0 + d
        # Its edges; a page still being drawn may show less than it will.
        left = next((i for i in range(x, x - 400, -1) if index(i - 1, y) != 0), None)
        top = next((i for i in range(y, y - 400, -1) if index(x, i - 1) != 0), None)
        right = next((i for i in range(x, x + 400) if index(i + 1, y) != 0), None)
        bottom = next((i for i in range(y, y + 400) if index(x, i + 1) != 0), None)
        if None in (left, top, right, bottom):
            return None
        cx, cy = (left + right) // 2, (top + bottom) // 2
        left1 = next((i for i in range(right + 1, x0 + width) if index(i, cy) == 1), None)
        if left1 is None:
            return None
        step_x = left1 - left
        cols = next(c for c in range(1, 100) if index(cx + c * step_x, cy) != c)
        top1 = next((i for i in range(bottom + 1, y0 + height) if index(cx, i) == cols), None)
        if top1 is None:
            return None
        return cls(px, (left, top, right, bottom), step_x, top1 - top, cols, area)

    def cell_centre(self, column, row):
        return ((self.left + self.right) // 2 + column * self.step_x,
                (self.top + self.bottom) // 2 + row * self.step_y)

    def index_at(self, column, row):
        return colour_index(self.px.pixel(*self.cell_centre(column, row)))

    def past_box(self, column, row):
        """A point just outside a cell's picture box, to its lower right."""
        return (self.right + 4 + column * self.step_x, self.bottom + 4 + row * self.step_y)

    def scroll_bar(self):
        """A point in the middle of the scroll bar's width, and its bottom
        edge: the bar stands right of the last column, alone down to the bottom."""
        x0, y0, width, height = self.area
        cy = (self.top + self.bottom) // 2
        background = self.px.pixel(self.right + 2, cy)

        def drawn(x, y):  # off the screen counts as background
            c = self.px.pixel(x, y)
            return c is not None and not near(c, background, tolerance=2)
        bar_left = next(x for x in range(self.right + (self.cols - 1) * self.step_x + 1, x0 + width)
                        if drawn(x, cy))
        bar_x = bar_left + 8
        bar_bottom = next(y for y in range(y0 + height - 1, cy, -1) if drawn(bar_x, y))
        return bar_x, bar_bottom


SCENARIOS = ["startup_and_stepping", "no_display", "display_lost", "scroll_bars", "full_window", "delete", "rename",
             "wallpaper", "auto_show", "thumbnails", "thumbnails_cancel",
             "hostile_pictures"]


def main(suite_class=Suite, scenarios=SCENARIOS, label="e2e"):
    binary = os.path.abspath(sys.argv[1])
    shots = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] else None
    chosen = sys.argv[3:] or scenarios
    if shots:
        os.makedirs(shots, exist_ok=True)
    suite = suite_class(binary, shots)
    passed, failed = 0, 0
    began = time.monotonic()
    try:
        for name in chosen:
            t0 = time.monotonic()
            try:
                getattr(suite, name)()
                passed += 1
                print(f"ok   {name} ({time.monotonic() - t0:.1f} s)")
            except Exception as e:  # report and go on with the next scenario
                failed += 1
                print(f"FAIL {name}: {e}")
                traceback.print_exc(limit=3)
                if shots:
                    try:
                        suite.x.screenshot(os.path.join(shots, f"failure-{name}.png"))
                    except Exception:
                        pass
                # Leave no window of a failed scenario behind.
                for proc in suite.x.procs[2:]:
                    if proc.poll() is None:
                        proc.kill()
    finally:
        suite.x.close()
    print(f"{label}: {passed} passed, {failed} failed in {time.monotonic() - began:.1f} s")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
