"""A private desktop for one row of the matrix: the end-to-end suite's X
server and window manager, plus a private session bus, the desktop's name in
XDG_CURRENT_DESKTOP, and whole screenshots read back as the desktop shows them."""
import os
import re
import signal
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from xsession import Failure, XSession, poll  # noqa: E402,F401


class Shot:
    """One screenshot in binary PPM form, read pixel by pixel."""

    def __init__(self, data):
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise Failure("not an 8-bit PPM screenshot")
        self.width, self.height = int(fields[1]), int(fields[2])
        # Rows above top and from bottom on are the desktop's panels, not
        # the wallpaper.
        self.top, self.bottom = 0, self.height
        self.pixels = data[pos + 1:]
        if len(self.pixels) < self.width * self.height * 3:
            raise Failure("short screenshot")

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def start_group(argv, env, cwd=None, log=None):
    """A process in a group of its own, so that whatever it forks (desktops
    like to fork) ends with it; its output goes to the file log, if named."""
    out = open(log, "ab") if log else subprocess.DEVNULL
    try:
        return subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT if log else subprocess.DEVNULL, start_new_session=True)
    finally:
        if log:
            out.close()


def end_group(proc):
    try:
        os.killpg(proc.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    try:
        proc.wait(timeout=3)
    except subprocess.TimeoutExpired:
        pass
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()


class DesktopSession(XSession):
    """XSession with a session bus of its own and a desktop name."""

    def __init__(self, desktop_name=None, server=True):
        super().__init__(server=server)
        self.groups = []
        for d in ("Desktop", "Pictures"):
            os.makedirs(os.path.join(self.env["HOME"], d), exist_ok=True)
        if desktop_name:
            self.env["XDG_CURRENT_DESKTOP"] = desktop_name
        try:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self.private_bus()
        except Exception:
            self.close()
            raise

    def private_bus(self):
        """The address of another bus of our own (for a desktop that wants a
        system bus: it gets this one, not the machine's)."""
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"], env=self.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
        self.groups.append(bus)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise Failure("a private bus did not start")
        return address

    def start_group(self, argv, env=None, log=None):
        proc = start_group(argv, env or self.env, cwd=self.env["HOME"], log=log)
        self.groups.append(proc)
        return proc

    def shot(self):
        """The screen as the X server shows it: the root window with whatever
        desktop window covers it."""
        res = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                             env=self.env, capture_output=True)
        if res.returncode != 0:
            raise subprocess.CalledProcessError(res.returncode, "import")
        return Shot(res.stdout)

    def desktop_window(self):
        """The id of a mapped window of type _NET_WM_WINDOW_TYPE_DESKTOP, or None."""
        clients = self.run(["xprop", "-root", "_NET_CLIENT_LIST"], check=False)
        for wid in re.findall(r"0x[0-9a-f]+", clients.split("=", 1)[-1]):
            props = self.run(["xprop", "-id", wid, "_NET_WM_WINDOW_TYPE", "WM_STATE"], check=False)
            if "_NET_WM_WINDOW_TYPE_DESKTOP" in props and "Normal" in props:
                return wid
        return None

    def close(self):
        for proc in reversed(self.groups):
            end_group(proc)
        super().close()
