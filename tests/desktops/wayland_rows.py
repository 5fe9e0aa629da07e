"""The Wayland sessions of GNOME and Plasma, headless, one row each for the
program through the compositor's XWayland (its normal path there) and one
for the program as a native Wayland client."""
import os
import shutil

from checks import HEIGHT, WHITE, WIDTH, Run, near
from desktop_session import Failure, poll
from program import Program
from rows import Row, set_up_gnome
from wayland_session import FAKE_INPUT_XML, CompositorClient, GnomeInput, KwinInput, WaylandSession

SAME_AS_XWAYLAND = "set as through XWayland; natively only the centred picture and Auto Show are checked"


class WaylandRow(Row):
    needs = ("/usr/bin/python3", "Xwayland", "xdotool", "wmctrl", "xprop", "xhost", "dbus-daemon")

    def __init__(self, native=False):
        self.native = native
        self.name = self.name + (" native" if native else "")
        if native:
            self.not_checked = {c: SAME_AS_XWAYLAND for c in ("tile", "second_preview", "odd_name")}

    def open(self):
        self.x = WaylandSession(self.desktop_name)
        self.start_desktop()
        return self.x

    def checks(self, x, binary, folder):
        if not self.native:
            return super().checks(x, binary, folder)
        return NativeRun(x, self.screen, binary, folder, self.program_env(), row=self)

    def program_env(self):
        env = dict(self.x.env)
        if self.native:
            env["QT_QPA_PLATFORM"] = "wayland"
        else:  # the program's own choice: X11 when DISPLAY is set
            env.pop("QT_QPA_PLATFORM", None)
        return env


class GnomeWayland(WaylandRow):
    """GNOME Shell as a headless Wayland compositor, drawing the wallpaper."""
    name = "GNOME Wayland"
    desktop_name = "GNOME"
    needs = WaylandRow.needs + ("gnome-shell", "gsettings")
    panels = (40, 0)
    plain = (32, 48, 64)
    minimise_key = "super+h"

    def __init__(self, native=False):
        super().__init__(native)
        self.not_checked = dict(self.not_checked, tile="GNOME Shell 43 on Wayland draws a tiled picture as one "
                                "tile zoomed to the screen's width, as on Xvfb; the style is read back from "
                                "the settings")

    def start_desktop(self):
        x = self.x
        # The pointer is moved through the top-left corner.
        set_up_gnome(x, ("org.gnome.desktop.interface", "enable-hot-corners", "false"))
        env = dict(x.env, DBUS_SYSTEM_BUS_ADDRESS=x.private_bus())
        shell = x.start_group(["gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                               f"{WIDTH}x{HEIGHT}"], env=env, log=x.log)
        display = x.from_log("XWayland", r"Using public X11 display (:\d+)", shell)
        x.env["WAYLAND_DISPLAY"] = x.wayland_display()
        auth = poll("the XWayland cookie", lambda: sorted(
            p for p in os.listdir(x.env["XDG_RUNTIME_DIR"]) if p.startswith(".mutter-Xwaylandauth.")))
        x.x_ready(display, os.path.join(x.env["XDG_RUNTIME_DIR"], auth[0]))
        x.client = CompositorClient(x, "gnome")
        poll("the shell's screenshot service", lambda: self.answering(shell), timeout=20, interval=0.2)
        x.native_input = GnomeInput(x.client) if self.native else None
        # It starts in the overview, which only the compositor's own input
        # leaves: leave it until the plain background shows.
        keys = GnomeInput(x.client)

        def desktop_shown():
            if near(self.screen().pixel(20, HEIGHT // 2), self.plain):
                return True
            keys.key("Escape")
            return False
        poll("the GNOME desktop", desktop_shown, timeout=30, interval=0.3)

    def answering(self, shell):
        if shell.poll() is not None:
            raise Failure(f"gnome-shell exited with status {shell.returncode}")
        try:
            return self.x.shot()
        except Failure:
            return None


class PlasmaWayland(WaylandRow):
    """kwin_wayland on a virtual output with plasmashell drawing the wallpaper."""
    name = "KDE Wayland"
    desktop_name = "KDE"
    needs = WaylandRow.needs + ("kwin_wayland", "plasmashell", "dbus-update-activation-environment")
    panels = (0, 50)
    minimise_key = "super+Next"  # KWin's Window Minimize

    def __init__(self, native=False):
        super().__init__(native)
        if native:  # to build the fake input client
            self.needs = self.needs + ("cc", "wayland-scanner", FAKE_INPUT_XML)

    def start_desktop(self):
        x = self.x
        x.env.update(KDE_FULL_SESSION="true", KDE_SESSION_VERSION="5")
        config = os.path.join(x.env["XDG_CONFIG_HOME"], "kdeglobals")
        with open(config, "w") as f:  # no cross-fades: each picture of the show on screen whole
            f.write("[KDE]\nAnimationDurationFactor=0\n")
        # The packaged file carries a capability this container may not
        # grant, so its exec fails; a copy carries none.
        kwin = os.path.join(x.tmp, "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        env = dict(x.env, KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        if self.native:
            env["KWIN_WAYLAND_NO_PERMISSION_CHECKS"] = "1"  # the fake input protocol for every client
        # KWin starts the last argument once XWayland is up, with DISPLAY set.
        shell = x.start_group([kwin, "--virtual", "--width", str(WIDTH), "--height", str(HEIGHT), "--xwayland",
                               "--no-lockscreen", "sh -c 'echo \"DISPLAY=$DISPLAY\"'"], env=env, log=x.log)
        display = x.from_log("XWayland", r"DISPLAY=(:\d+)", shell)
        x.env["WAYLAND_DISPLAY"] = x.wayland_display()
        x.x_ready(display)
        # Programs the bus starts (the activity manager) need the displays.
        x.run(["dbus-update-activation-environment", "DISPLAY=" + display,
               "WAYLAND_DISPLAY=" + x.env["WAYLAND_DISPLAY"]])
        x.client = CompositorClient(x, "kde")
        plasma = x.start_group(["plasmashell"], env=dict(x.env, QT_QPA_PLATFORM="wayland"), log=x.log)
        x.native_input = KwinInput(x) if self.native else None

        def drawn():
            if plasma.poll() is not None:
                raise Failure(f"plasmashell exited with status {plasma.returncode}")
            shot = self.x.shot()
            return all(shot.pixel(px, py) != (0, 0, 0) for px, py in ((20, 20), (WIDTH // 2, HEIGHT - 20)))
        poll("the Plasma wallpaper and panel", drawn, timeout=30, interval=0.2)


class NativeProgram(Program):
    """The program as a native Wayland client: no X window to ask, so it is
    found and read on the compositor's screen, and driven through the
    compositor's own input."""

    def __init__(self, x, binary, folder, screen):
        self.x, self.folder, self.screen = x, folder, screen
        self.frame = None
        self.proc = x.start([binary], cwd=folder)
        self.left, self.top = poll("the file list on screen", self.list_origin, timeout=20, interval=0.1)

    def list_origin(self):
        """The browser's client area, from the file list's white inside: the
        first white run of the list's width on the screen."""
        if self.proc.poll() is not None:
            raise Failure(f"the program exited with status {self.proc.returncode}")
        shot = self.screen()
        white = b"\xff" * 3 * 120
        at = shot.pixels.find(white)
        while at >= 0:
            px, py = (at // 3) % shot.width, (at // 3) // shot.width
            if at % 3 == 0 and py > 0 and shot.pixel(px - 1, py) != WHITE and shot.pixel(px, py - 1) != WHITE:
                return px - 5, py - 10
            at = shot.pixels.find(white, at + 1)
        return None

    def pixel(self, left_twips, top_twips):
        return self.screen().pixel(*self.at(left_twips, top_twips))

    def choose_action(self, index):
        # With keys, from the file list: the list drops down over the form
        # below the selector.
        self.x.key("Tab", "Tab", "Tab")
        below = self.at(60 + 300, 5775 + 315 + 150)
        before = self.screen().pixel(*below)
        self.x.key("alt+Down")
        poll("the drop-down list", lambda: self.screen().pixel(*below) != before)
        self.x.key("Home", *(["Down"] * index), "Return")

    def on_screen(self):
        return near(self.pixel(60 + 150, 135 + 2500), WHITE)

    def close(self):
        self.x.key("alt+F4")
        poll("the program to end", lambda: self.proc.poll() is not None)
        if self.proc.returncode != 0:
            raise Failure(f"exit code {self.proc.returncode}")


class NativeRun(Run):
    """The checks with the window system's part done by the compositor: its
    minimise key, and Alt+Tab, which activates the frame again."""

    def __init__(self, x, screen, binary, folder, env, row):
        self.row = row
        super().__init__(x, screen, binary, folder, env)

    def program(self, binary, folder):
        return NativeProgram(self.x, binary, folder, self.screen)

    def minimise(self):
        self.wait_screen("the frame minimised", lambda shot: True)

    def minimised(self):
        return not self.p.on_screen()

    def wait_screen(self, what, test, timeout=20):
        # Qt asks the compositor to activate the frame as the drop-down list
        # closes; on GNOME that can come after a quick minimise and undo it,
        # so a frame back on screen is minimised again.
        def shown():
            shot = self.screen()
            if near(shot.pixel(*self.p.at(60 + 150, 135 + 2500)), WHITE):
                self.x.key(self.row.minimise_key)
                return False
            return test(shot)
        poll(what, shown, timeout=timeout, interval=0.1)

    def restore(self):
        self.x.key("alt+Tab")
        poll("the frame restored", self.p.on_screen)

    def show_stopped(self):
        """The frame minimised again by the compositor, which the program is
        not told of natively: the picture on screen stays through two ticks."""
        self.minimise()
        try:
            self.stays("the picture after the show stopped", 2.5)
        finally:
            self.restore()


WAYLAND_ROWS = [GnomeWayland(), GnomeWayland(native=True), PlasmaWayland(), PlasmaWayland(native=True)]
