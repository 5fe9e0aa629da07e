"""What every desktop of the matrix must show: the real program is driven
through its action selector, and the desktop's own pixels are read back.

The pictures are 300 x 200 of one colour with a yellow 40 x 40 block in the
top-left corner, so a tiled picture (blocks every 300 x 200 from the screen's
corner) and a centred one (one block, left of and above the screen's centre)
cannot be taken for each other, nor for a stretched or zoomed one."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from program import Program, near  # noqa: E402
from xsession import Failure, poll  # noqa: E402

WIDTH, HEIGHT = 1280, 800
PIC_W, PIC_H, BLOCK = 300, 200, 40
YELLOW = (255, 255, 0)
WHITE = (255, 255, 255)

# Listed in this order by the browser (names compare byte by byte, case
# folded): the row of each file in the file list is its index here.
TILE = ("a-tile.bmp", (220, 0, 0))
CENTRE = ("b-centre.jpg", (0, 150, 150))
SECOND = ("c-second.jpg", (0, 170, 0))
ODD = (b"d odd #%'\xff.bmp", (200, 0, 200))
PICTURES = [TILE, CENTRE, SECOND, ODD]

# Action selector entries.
AUTO_SHOW, CENTRED, TILED = 1, 2, 3


def make_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (r, g, b) in PICTURES:
        raw = name if isinstance(name, bytes) else name.encode()
        made = os.path.join(folder, "made" + os.path.splitext(raw.decode("latin-1"))[1])
        fmt = "BMP3:" if made.endswith(".bmp") else ""
        subprocess.run(["convert", "-size", f"{PIC_W}x{PIC_H}", f"xc:rgb({r},{g},{b})",
                        "-fill", "rgb(255,255,0)", "-draw", f"rectangle 0,0 {BLOCK - 1},{BLOCK - 1}",
                        "-quality", "95", fmt + made], check=True)
        os.rename(made.encode(), os.path.join(folder.encode(), raw))


def block_corner(shot):
    """The top-left corner of a whole yellow block within the screen's first
    picture-sized area and the one after it, or None."""
    for y in range(shot.top, shot.top + PIC_H + BLOCK, 10):
        for x in range(0, PIC_W + BLOCK, 10):
            if near(shot.pixel(x, y), YELLOW):
                while x > 0 and near(shot.pixel(x - 1, y), YELLOW):
                    x -= 1
                while y > 0 and near(shot.pixel(x, y - 1), YELLOW):
                    y -= 1
                # A block cut by the screen's edge or a panel: take the next one.
                return (x + PIC_W if x == 0 else x, y + PIC_H if y == shot.top else y)
    return None


def tiled_on(shot, colour):
    """The picture repeated every picture size across the whole screen: a
    block and the picture's colour in every repetition. Where the first
    repetition starts is the setter's choice (some tile from the centre)."""
    corner = block_corner(shot)
    if not corner:
        return False
    for bx in range(corner[0] % PIC_W, WIDTH - PIC_W, PIC_W):
        for by in range(corner[1] % PIC_H, HEIGHT - PIC_H, PIC_H):
            if by < shot.top or by + PIC_H > shot.bottom:
                continue
            if not (near(shot.pixel(bx + BLOCK // 2, by + BLOCK // 2), YELLOW)
                    and near(shot.pixel(bx + PIC_W // 2, by + PIC_H // 2), colour)
                    and near(shot.pixel(bx + PIC_W - 10, by + PIC_H - 10), colour)):
                return False
    return True


def centred_on(shot, colour):
    """One picture at its own size in the middle, its block where the
    picture's top-left corner is, and none of it in the screen's corner."""
    left, top = (WIDTH - PIC_W) // 2, (HEIGHT - PIC_H) // 2
    return (near(shot.pixel(WIDTH // 2, HEIGHT // 2), colour)
            and near(shot.pixel(left + PIC_W - 20, top + PIC_H - 20), colour)
            and near(shot.pixel(left + 20, top + 20), YELLOW)
            and not near(shot.pixel(left - 10, top + PIC_H // 2), colour)
            and not near(shot.pixel(20, 20), YELLOW)
            and not near(shot.pixel(20, 20), colour))


class Run:
    """One program on one desktop, and the checks made with it."""

    def __init__(self, x, screen, binary, folder, env_for_program=None, prefix=()):
        self.x = x
        self.screen = screen  # () -> Shot of what the desktop shows
        if env_for_program or prefix:
            # Only the program gets this environment (and runs as the prefix
            # says); the tools that drive it keep the session's.
            def start(argv, cwd):
                proc = subprocess.Popen(list(prefix) + argv, env=env_for_program or x.env, cwd=cwd,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                x.procs.append(proc)
                return proc
            x.start = start
        self.p = self.program(binary, folder)

    def program(self, binary, folder):
        return Program(self.x, binary, folder)

    def minimised(self):
        return self.x.is_minimized(self.p.frame)

    def minimise(self):
        self.x.run(["xdotool", "windowminimize", self.p.frame])
        poll("the frame minimised", self.minimised)

    def restore(self):
        self.x.run(["wmctrl", "-i", "-a", self.p.frame])
        poll("the frame restored and active", lambda: not self.x.is_minimized(self.p.frame)
             and self.x.run(["xdotool", "getactivewindow"], check=False).strip() == self.p.frame
             and near(self.p.pixel(60 + 150, 135 + 2500), WHITE))

    def show_stopped(self):
        """After a restore: only the show's stop gives the frame its own title back."""
        poll("the show stopped (the frame's own title back)", lambda: self.p.title().startswith(self.p.caption + " - "),
             timeout=5)

    def showing(self):
        """Which picture is centred on screen, or None."""
        shot = self.screen()
        return next((c for _, c in PICTURES if centred_on(shot, c)), None)

    def stays(self, what, seconds):
        """The picture centred on screen stays the same for that long."""
        first = poll(what, self.showing, timeout=5, interval=0.1)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            now = self.showing()
            if now != first:
                raise Failure(f"{what}: {first} changed to {now}")

    def wait_screen(self, what, test, timeout=20):
        poll(what, lambda: test(self.screen()), timeout=timeout, interval=0.1)

    def set_wallpaper(self, row, action, test, what):
        self.p.click_file(row)
        self.p.choose_action(action)
        self.minimise()
        try:
            self.wait_screen(what, test)
        finally:
            self.restore()

    # --- the checks, in the order they run ------------------------------

    def tile(self):
        """A bitmap under its own path, tiled."""
        self.set_wallpaper(0, TILED, lambda s: tiled_on(s, TILE[1]), "the tiled picture")

    def centre(self):
        """A JPEG, converted to preview.bmp, centred."""
        self.set_wallpaper(1, CENTRED, lambda s: centred_on(s, CENTRE[1]), "the centred picture")

    def second_preview(self):
        """Another JPEG through the same preview.bmp replaces the first on screen."""
        self.set_wallpaper(2, CENTRED, lambda s: centred_on(s, SECOND[1]), "the second preview.bmp")

    def odd_name(self):
        """A bitmap named with a space, '#', '%', a quote and a byte that is not UTF-8."""
        self.set_wallpaper(3, CENTRED, lambda s: centred_on(s, ODD[1]), "the oddly named picture")

    def auto_show(self):
        """Auto Show changes the picture on screen at least twice, and stops
        once the frame is back."""
        self.p.click_file(0)
        self.p.choose_action(AUTO_SHOW)
        poll("the frame minimised", self.minimised)
        seen = []

        def changed_twice():
            now = self.showing()
            if now and (not seen or seen[-1] != now):
                seen.append(now)
            return len(seen) >= 3
        try:
            poll("the slideshow on screen", changed_twice, timeout=20, interval=0.1)
        except Failure:
            raise Failure(f"pictures seen on screen: {seen}")
        finally:
            self.restore()
        self.show_stopped()

    def close(self):
        self.p.close()


CHECKS = ["tile", "centre", "second_preview", "odd_name", "auto_show"]
