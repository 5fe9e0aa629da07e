"""The desktops of the matrix, one row each: what it needs installed, the
name it gives XDG_CURRENT_DESKTOP, how its drawing program starts and how its
pixels are read back."""
import os
import shutil

from desktop_session import DesktopSession, Failure, poll


class Row:
    name = ""
    needs = ()            # commands that must be installed
    desktop_name = None   # XDG_CURRENT_DESKTOP, None for a bare X session

    def missing(self):
        return [c for c in self.needs if not shutil.which(c) and not os.path.exists(c)]

    def open(self):
        """Starts the desktop; returns the session the program runs in."""
        self.x = DesktopSession(self.desktop_name)
        self.start_desktop()
        return self.x

    def start_desktop(self):
        pass

    def program_env(self):
        return None

    def screen(self):
        return self.x.shot()

    def close(self):
        self.x.close()


class RootWindow(Row):
    """A bare X session: the setter draws on the root window itself."""

    def __init__(self, setter):
        self.name = f"X11 ({setter})"
        self.setter = setter
        self.needs = (setter, "Xvfb", "openbox", "import", "xdotool", "wmctrl")

    def program_env(self):
        # Only this setter is found: the program falls back from one to the
        # next, and each must be proven on its own.
        bin_dir = os.path.join(self.x.tmp, "bin")
        os.makedirs(bin_dir, exist_ok=True)
        os.symlink(shutil.which(self.setter), os.path.join(bin_dir, self.setter))
        return dict(self.x.env, PATH=bin_dir)


class DesktopWindow(Row):
    """A desktop whose own program maps a window of the desktop type over the root."""

    def __init__(self, name, desktop_name, argv, needs=()):
        self.name, self.desktop_name, self.argv = name, desktop_name, argv
        self.needs = (argv[0],) + tuple(needs) + ("Xvfb", "openbox", "import", "xdotool", "wmctrl",
                                                   "dbus-daemon")

    def start_desktop(self):
        proc = self.x.start_group(self.argv)

        def drawn():
            if proc.poll() is not None and proc.returncode != 0:
                raise Failure(f"{self.argv[0]} exited with status {proc.returncode}")
            return self.x.desktop_window()
        poll(f"the desktop window of {self.argv[0]}", drawn, timeout=20)


XFCONFD = "/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"

ROWS = [
    RootWindow("feh"),
    RootWindow("hsetroot"),
    DesktopWindow("XFCE", "XFCE", ["xfdesktop"], needs=("xfconf-query", XFCONFD)),
    DesktopWindow("LXDE", "LXDE", ["pcmanfm", "--desktop"]),
    DesktopWindow("LXQt", "LXQt", ["pcmanfm-qt", "--desktop"]),
    DesktopWindow("MATE", "MATE", ["caja", "--no-default-window", "--force-desktop"], needs=("gsettings",)),
    DesktopWindow("Cinnamon", "X-Cinnamon", ["nemo-desktop"], needs=("gsettings",)),
]
