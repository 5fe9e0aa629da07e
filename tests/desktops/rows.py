"""The desktops of the matrix, one row each: what it needs installed, the
name it gives XDG_CURRENT_DESKTOP, how its drawing program starts and how its
pixels are read back."""
import glob
import os
import shutil
import subprocess

from checks import HEIGHT, Run, near
from desktop_session import DesktopSession, Failure, Shot, poll


class Row:
    name = ""
    needs = ()            # commands that must be installed
    desktop_name = None   # XDG_CURRENT_DESKTOP, None for a bare X session
    not_checked = {}      # check name -> why this desktop cannot show it here
    panels = (0, 0)       # pixel rows that the desktop's panels cover, at the top and the bottom

    def skip_reason(self):
        missing = [c for c in self.needs if not shutil.which(c) and not os.path.exists(c)]
        return "not installed: " + ", ".join(missing) if missing else None

    def open(self):
        """Starts the desktop; returns the session the program runs in."""
        self.x = DesktopSession(self.desktop_name)
        self.start_desktop()
        return self.x

    def start_desktop(self):
        pass

    def program_env(self):
        return None

    def program_prefix(self):
        return ()

    def program_binary(self, binary):
        return binary

    def checks(self, x, binary, folder):
        """The program started on this desktop, with the checks to make."""
        return Run(x, self.screen, self.program_binary(binary), folder, self.program_env(), self.program_prefix())

    def screen(self):
        shot = self.x.shot()
        shot.top, shot.bottom = self.panels[0], shot.height - self.panels[1]
        return shot

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

    def __init__(self, name, desktop_name, argv, needs=(), env=None, panels=(0, 0), config=None):
        self.name, self.desktop_name, self.argv, self.env = name, desktop_name, argv, env or {}
        self.panels = panels
        self.config = config or {}  # files under the session's HOME
        self.needs = (argv[0],) + tuple(needs) + ("Xvfb", "openbox", "import", "xdotool", "wmctrl",
                                                   "dbus-daemon")

    def start_desktop(self):
        for name, text in self.config.items():
            path = os.path.join(self.x.env["HOME"], name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)
        proc = self.x.start_group(self.argv, dict(self.x.env, **self.env))

        def drawn():
            if proc.poll() is not None and proc.returncode != 0:
                raise Failure(f"{self.argv[0]} exited with status {proc.returncode}")
            return self.x.desktop_window()
        poll(f"the desktop window of {self.argv[0]}", drawn, timeout=20)


class Sway(Row):
    """sway on a headless output draws the wallpaper (swaybg); grim reads it.
    The program itself is driven in the private X server, as under XWayland,
    with the sway socket in its environment. sway refuses to run as root, so
    sway and the program run as nobody, in a session folder nobody owns."""
    name = "sway"
    needs = ("sway", "swaybg", "swaymsg", "grim", "setpriv", "Xvfb", "openbox", "xdotool", "wmctrl")
    as_nobody = ("setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups")

    def start_desktop(self):
        runtime = os.path.join(self.x.tmp, "sway-runtime")
        os.makedirs(runtime, mode=0o700)
        config = os.path.join(self.x.tmp, "sway-config")
        with open(config, "w") as f:
            f.write("output * mode 1280x800\nxwayland disable\n")
        self.x.run(["chown", "-R", "nobody:nogroup", self.x.tmp])
        env = {k: v for k, v in self.x.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(XDG_RUNTIME_DIR=runtime, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                   WLR_RENDERER="pixman")
        sway = self.x.start_group(list(self.as_nobody) + ["sway", "-c", config], env=env)

        def socket():
            if sway.poll() is not None:
                raise Failure(f"sway exited with status {sway.returncode}")
            return glob.glob(os.path.join(runtime, "sway-ipc.*.sock"))
        sock = poll("the sway socket", socket, timeout=20)[0]
        display = poll("the Wayland display", lambda: [os.path.basename(p) for p in
                                                       glob.glob(os.path.join(runtime, "wayland-*"))
                                                       if not p.endswith(".lock")])[0]
        self.wayland = dict(env, SWAYSOCK=sock, WAYLAND_DISPLAY=display)
        poll("sway answering", lambda: subprocess.run(["swaymsg", "-t", "get_outputs"], env=self.wayland,
                                                      capture_output=True).returncode == 0)

    def program_env(self):
        env = dict(self.x.env, SWAYSOCK=self.wayland["SWAYSOCK"])
        env.pop("XDG_CURRENT_DESKTOP", None)
        return env

    def program_prefix(self):
        return self.as_nobody

    def program_binary(self, binary):
        # A build folder that nobody may not enter: run a copy of the binary.
        if subprocess.run(list(self.as_nobody) + ["test", "-x", binary]).returncode == 0:
            return binary
        copy = os.path.join(self.x.tmp, "glimmerbox")
        shutil.copy(binary, copy)
        os.chmod(copy, 0o755)
        return copy

    def screen(self):
        res = subprocess.run(["grim", "-t", "ppm", "-"], env=self.wayland, capture_output=True)
        if res.returncode != 0:
            raise Failure("grim: " + res.stderr.decode(errors="replace").strip())
        return Shot(res.stdout)


def set_up_gnome(x, *more):
    """GNOME Shell's settings before it starts, on the X11 and the Wayland
    rows: no picture but the plain colour, no banners, no animations; `more`
    are further (schema, key, value) settings."""
    for schema, key, value in (
            ("org.gnome.desktop.background", "picture-uri", "''"),
            ("org.gnome.desktop.background", "picture-uri-dark", "''"),
            ("org.gnome.desktop.background", "color-shading-type", "'solid'"),
            ("org.gnome.desktop.background", "primary-color", "'#203040'"),
            ("org.gnome.desktop.notifications", "show-banners", "false"),
            ("org.gnome.desktop.interface", "enable-animations", "false")) + more:
        x.run(["gsettings", "set", schema, key, value])


class GnomeShell(Row):
    """GNOME Shell as the X11 window manager and compositor on the private X
    server: it draws the wallpaper itself. It wants a system bus (logind),
    and gets a second private bus for it."""
    name = "GNOME"
    desktop_name = "GNOME"
    needs = ("gnome-shell", "gsettings", "Xvfb", "import", "xdotool", "wmctrl", "dbus-daemon")
    panels = (40, 0)  # the top bar
    not_checked = {"tile": "GNOME Shell 43 on Xvfb draws a tiled picture as one tile zoomed to the "
                           "screen's width, whoever sets it; the style is read back from the settings"}
    plain = (32, 48, 64)

    def start_desktop(self):
        x = self.x
        set_up_gnome(x)
        # mutter keeps _NET_ACTIVE_WINDOW but leaves it out of _NET_SUPPORTED,
        # so xdotool will not read it: read it for xdotool.
        shims = os.path.join(x.tmp, "shims")
        os.makedirs(shims)
        with open(os.path.join(shims, "xdotool"), "w") as f:
            f.write('#!/bin/sh\n'
                    'if [ "$1" = getactivewindow ]; then\n'
                    '  id=$(xprop -root _NET_ACTIVE_WINDOW | sed "s/.*# //")\n'
                    '  exec printf "%d\\n" "$id"\n'
                    'fi\n'
                    f'exec {shutil.which("xdotool")} "$@"\n')
        os.chmod(os.path.join(shims, "xdotool"), 0o755)
        x.env["PATH"] = shims + os.pathsep + x.env["PATH"]
        env = dict(x.env, XDG_SESSION_TYPE="x11", DBUS_SYSTEM_BUS_ADDRESS=x.private_bus())
        shell = x.start_group(["gnome-shell", "--x11", "--replace"], env=env)

        # It starts in the overview: leave it until the plain background shows.
        def desktop_shown():
            if shell.poll() is not None:
                raise Failure(f"gnome-shell exited with status {shell.returncode}")
            if near(self.screen().pixel(20, HEIGHT // 2), self.plain):
                return True
            x.run(["xdotool", "key", "Escape"], check=False)
            return False
        poll("the GNOME desktop", desktop_shown, timeout=40, interval=0.5)


class Cinnamon(Row):
    """Cinnamon's shell as the X11 window manager and compositor on the
    private X server, with its settings daemon's background part drawing the
    wallpaper into the root window, which the shell shows. The background
    part waits for the session to run: a stand-in session manager on the
    private bus says it does. Like GNOME Shell, the shell gets a second
    private bus as its system bus."""
    name = "Cinnamon"
    desktop_name = "X-Cinnamon"
    needs = ("cinnamon", "csd-background", "gsettings", "/usr/bin/python3", "Xvfb", "import", "xdotool",
             "wmctrl", "xprop", "dbus-daemon")
    panels = (0, 40)  # the panel along the bottom
    plain = (32, 48, 64)

    def start_desktop(self):
        x = self.x
        for schema, key, value in (
                ("org.cinnamon.desktop.background", "picture-uri", "''"),
                ("org.cinnamon.desktop.background", "color-shading-type", "'solid'"),
                ("org.cinnamon.desktop.background", "primary-color", "'#203040'"),
                ("org.cinnamon", "desktop-effects", "false"),
                ("org.cinnamon", "startup-animation", "false")):
            x.run(["gsettings", "set", schema, key, value], check=False)
        x.start_group(["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                        "session_manager.py")])
        poll("the session manager stand-in", lambda: "org.gnome.SessionManager" in x.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.ListNames"], check=False))
        env = dict(x.env, XDG_SESSION_TYPE="x11", DBUS_SYSTEM_BUS_ADDRESS=x.private_bus())
        shell = x.start_group(["cinnamon", "--replace", "--sm-disable"], env=env)

        def managing():
            if shell.poll() is not None:
                raise Failure(f"cinnamon exited with status {shell.returncode}")
            check = x.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).split("# ")[-1].strip()
            return check.startswith("0x") and "Muffin" in x.run(["xprop", "-id", check, "_NET_WM_NAME"],
                                                                 check=False)
        # csd-background draws into the root window: started only once the
        # shell shows that window, or openbox would show it and go on
        # managing windows while the shell takes over.
        poll("cinnamon managing the windows", managing, timeout=30)
        background = x.start_group(["csd-background"], env=env)

        def desktop_shown():
            for proc, what in ((shell, "cinnamon"), (background, "csd-background")):
                if proc.poll() is not None:
                    raise Failure(f"{what} exited with status {proc.returncode}")
            return near(self.screen().pixel(20, HEIGHT // 2), self.plain)
        poll("the Cinnamon background", desktop_shown, timeout=30, interval=0.2)


XFCONFD = "/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"

ROWS = [
    RootWindow("feh"),
    RootWindow("hsetroot"),
    DesktopWindow("XFCE", "XFCE", ["xfdesktop"], needs=("xfconf-query", XFCONFD)),
    DesktopWindow("LXDE", "LXDE", ["pcmanfm", "--desktop"]),
    DesktopWindow("LXQt", "LXQt", ["pcmanfm-qt", "--desktop"]),
    DesktopWindow("MATE", "MATE", ["caja", "--no-default-window", "--force-desktop"], needs=("gsettings",)),
    Cinnamon(),
    Sway(),
    GnomeShell(),
    # Plasma's panel along the bottom; no cross-fades, so that each picture
    # of the slideshow is on screen whole.
    DesktopWindow("KDE", "KDE", ["plasmashell"], panels=(0, 50),
                  config={".config/kdeglobals": "[KDE]\nAnimationDurationFactor=0\n"}),
]
