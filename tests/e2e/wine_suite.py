#!/usr/bin/env python3
"""The end-to-end checks run against the Windows build under Wine, in a
private X server. Every Wine window lives in one virtual desktop filling the
screen, which is where Wine paints the wallpaper; the settings are read back
from the registry with `wine reg query`.

usage: wine_suite.py GLIMMERBOX.EXE [SCREENSHOT_FOLDER] [SCENARIO ...]
WINEPREFIX, when set, names a prefix to use (made beforehand); otherwise a
fresh one is made in a temporary folder. Wine's servers are ended at the end."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import suite  # noqa: E402
from program import Program, near  # noqa: E402
from xsession import Failure, XSession, poll  # noqa: E402

WIDTH, HEIGHT = 1280, 800
DESKTOP = r"HKCU\Control Panel\Desktop"


class WineSession(XSession):
    """The private X server, with every program started through Wine inside
    one virtual desktop."""

    def __init__(self, prefix=None):
        super().__init__(WIDTH, HEIGHT)
        self.own_prefix = prefix is None
        if self.own_prefix:
            prefix = os.path.join(self.tmp, "wine")
        self.env.update(WINEPREFIX=prefix, WINEDEBUG="-all")
        fresh = not os.path.exists(os.path.join(prefix, "system.reg"))
        # Wine gives a session's desktop the display of its first process:
        # wait until no other Wine process runs, then start everything here.
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, check=False, timeout=120)
        except subprocess.TimeoutExpired:
            XSession.close(self)  # the prefix's servers are not ours to end
            raise Failure(f"Wine processes still run in {prefix}")
        if fresh:
            # Not captured: the servers it starts would hold the pipe open.
            subprocess.run(["wineboot", "--init"], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for key, value, data in ((r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
                                 (r"HKCU\Software\Wine\Explorer\Desktops", "Default", f"{WIDTH}x{HEIGHT}")):
            self.run(["wine", "reg", "add", key, "/v", value, "/d", data, "/f"])

    def start(self, argv, cwd):
        # Wine's servers, started by the first program, inherit its error
        # output and outlive it: a file never fills up as a pipe nobody reads
        # would, and holds Wine's complaints for a failure's report.
        with open(self.wine_log, "ab") as log:
            return super().start(["wine"] + argv, cwd, stderr=log)

    @property
    def wine_log(self):
        return os.path.join(self.tmp, "wine.log")

    def close(self):
        """Ends Wine's servers, then the X server; an own prefix goes with
        the private folder."""
        subprocess.run(["wineserver", "-k"], env=self.env, check=False)
        super().close()

    def is_minimized(self, wid):
        # A minimised window in Wine's desktop is a short title bar at the
        # bottom left.
        try:
            _, top, width, _ = self.geometry(wid)
        except subprocess.CalledProcessError:
            return False
        return width < 300 and top > HEIGHT - 60

    def reg_value(self, name):
        out = self.run(["wine", "reg", "query", DESKTOP, "/v", name], check=False)
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0] == name:
                return parts[2].strip() if len(parts) == 3 else ""
        return None

    def caption_button(self, wid, from_right):
        """Clicks a button of a window's title bar: 14 pixels from the right
        edge is Close, 48 Minimise (Restore on a minimised window)."""
        left, top, width, _ = self.geometry(wid)
        self.click(left + width - from_right, top + 12)


class WineProgram(Program):
    # Wine starts its desktop and servers along with the first program.
    start_timeout = 30.0

    def _wait_frame(self):
        try:
            return super()._wait_frame()
        except Failure as e:
            with open(self.x.wine_log, errors="replace") as log:
                raise Failure(f"{e}; Wine's last words: {log.read()[-2000:]!r}") from None

    def _client_origin(self):
        """Wine draws the frame's own borders and caption, partly off the
        screen when maximised, and a white menu bar: the inside is found
        from the file list's white below them, its top edge (9 pixels below
        the inside's top) and its left edge (5 pixels in)."""
        def white(x, y):
            return self.px.pixel(x, y) == (255, 255, 255)

        def find():
            left, top, _, _ = self.x.geometry(self.frame)  # it moves while it opens
            left, top = max(left, 0), max(top, 0)
            list_top = next((y for y in range(top + 24, top + 120)
                             if white(left + 20, y) and not white(left + 20, y - 1)), None)
            if list_top is None:
                return None
            list_left = next((x for x in range(left, left + 60) if white(x, list_top + 20)), None)
            return list_left and (list_left - 5, list_top - 10)
        # Once the first paint has settled, the answer no longer changes.
        found, previous = poll("the file list on screen", find), None
        while found != previous:
            previous = found
            time.sleep(0.1)
            found = poll("the file list on screen", find)
        return found

    def choose_action(self, index):
        """Home in a native drop-down moves the caret of its text, not the
        list: Up, as many times as there are entries, reaches the first."""
        sx, sy = self.at(60 + 1935, 5775)
        self.x.click(sx - 8, sy + 10)
        self.x.key(*(["Up"] * 5), *(["Down"] * index), "Return")

    def _wait_active(self):
        # The virtual desktop holds the X focus; Wine passes keys on to its
        # own active window, which a fresh frame is.
        pass

    def close(self):
        self.x.caption_button(self.frame, 14)
        poll("the program to end", lambda: self.proc.poll() is not None)
        if self.proc.returncode != 0:
            raise Failure(f"exit code {self.proc.returncode}")


class WineSuite(suite.Suite):
    def __init__(self, binary, shots):
        self.binary = binary
        self.shots = shots
        self.x = WineSession(os.environ.get("WINEPREFIX"))
        self.home = self.x.env["HOME"]

    def start(self, folder, args=()):
        return WineProgram(self.x, self.binary, folder, args)

    def close_window(self, wid):
        self.x.caption_button(wid, 14)

    def client_area(self, wid):
        # Wine's own frame: a 4-pixel border and a 19-pixel caption.
        left, top, width, height = self.x.geometry(wid)
        return left + 4, top + 23, width - 8, height - 27

    def check_not_mirrored(self, p):
        pass  # Qt's -reverse has no meaning to the Windows program

    def store_value(self, name):
        return self.x.reg_value(name)

    def minimise(self, p):
        self.x.caption_button(p.frame, 48)
        poll("the frame minimised", lambda: self.x.is_minimized(p.frame))

    def restore(self, p):
        self.x.caption_button(p.frame, 48)
        poll("the frame restored", lambda: not self.x.is_minimized(p.frame)
             and near(p.pixel(60 + 150, 135 + 2500), suite.WHITE))

    def wallpaper(self):
        """Centre and Tile through the system's call: the registry as the
        design writes it, and what Wine paints on its desktop."""
        folder = self.fresh_folder("wallpaper")
        suite.convert("-size", "300x200", "xc:rgb(255,0,0)", "-fill", "rgb(255,255,0)",
                      "-draw", "rectangle 0,0 19,19", "BMP3:" + os.path.join(folder, "tile.bmp"))
        p = self.start(folder)
        # Centred: beach.jpg, converted to C:\\preview.bmp first.
        p.click_file(0)
        poll("beach.jpg shown", lambda: near(p.pixel(2130 + 150, 135 + 150), suite.BLUE))
        p.choose_action(2)
        poll("the centred style stored", lambda: self.store_value("TileWallpaper") == "0"
             and self.store_value("WallpaperStyle") == "0"
             and self.store_value("Wallpaper") == "C:\\preview.bmp")
        if not os.path.exists(os.path.join(self.x.env["WINEPREFIX"], "drive_c", "preview.bmp")):
            raise Failure("C:\\preview.bmp not written")
        self.minimise(p)
        # 300 x 200 in the middle of the desktop, the desktop's colour around.
        cx, cy = WIDTH // 2, HEIGHT // 2
        poll("the centred wallpaper", lambda: near(p.screen_pixel(cx, cy), suite.BLUE)
             and near(p.screen_pixel(cx - 148, cy - 98), suite.BLUE)
             and not near(p.screen_pixel(cx - 153, cy), suite.BLUE)
             and not near(p.screen_pixel(5, 5), suite.BLUE))
        self.shot("wine-wallpaper-centred")
        self.restore(p)
        # Tiled: tile.bmp, handed over under its own path; its yellow corner
        # repeats every 300 x 200 pixels from the top left.
        p.click_file(3)
        poll("tile.bmp shown", lambda: near(p.pixel(2130 + 1500, 135 + 1500), suite.RED)
             and near(p.pixel(2130 + 150, 135 + 150), suite.YELLOW))
        p.choose_action(3)
        poll("the tiled style stored", lambda: self.store_value("TileWallpaper") == "1"
             and self.store_value("WallpaperStyle") == "1"
             and (self.store_value("Wallpaper") or "").lower().endswith("\\wallpaper\\tile.bmp"))
        self.minimise(p)
        poll("the tiled wallpaper", lambda: all(near(p.screen_pixel(x, y), suite.YELLOW)
                                               for x, y in ((5, 5), (305, 205), (905, 605)))
             and near(p.screen_pixel(25, 25), suite.RED) and near(p.screen_pixel(1225, 5), suite.RED))
        self.shot("wine-wallpaper-tiled")
        self.restore(p)
        p.close()

    def closing(self):
        """Closing the frame ends the program with status 0."""
        self.start(self.fresh_folder("closing")).close()


SCENARIOS = ["startup_and_stepping", "scroll_bars", "full_window", "delete", "rename",
             "thumbnails", "thumbnails_cancel", "wallpaper", "auto_show", "closing"]


if __name__ == "__main__":
    sys.exit(suite.main(WineSuite, SCENARIOS, "wine e2e"))
