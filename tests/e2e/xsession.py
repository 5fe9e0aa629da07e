"""A private X server with a window manager, and helpers to drive and read it.

Every effect is polled for with a deadline; nothing sleeps a fixed time.
"""
import os
import shutil
import subprocess
import tempfile
import time


class Failure(Exception):
    pass


def poll(what, fn, timeout=10.0, interval=0.05):
    """Calls fn until it returns something true; raises Failure after timeout."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = fn()
        except subprocess.CalledProcessError:
            last = None
        if last:
            return last
        time.sleep(interval)
    raise Failure(f"timed out waiting for {what} (last: {last!r})")


class XSession:
    # True where the root window cannot be read (rootless XWayland): pixels
    # are then read through the program's own window.
    rootless = False

    def __init__(self, width=1280, height=800, server=True):
        """With server False only the private folders are made; whoever
        starts the X server sets DISPLAY."""
        self.tmp = tempfile.mkdtemp(prefix="glimmerbox-e2e-")
        self.env = dict(os.environ)
        for var in ("WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(var, None)
        home = os.path.join(self.tmp, "home")
        self.env.update(
            HOME=home,
            XDG_CONFIG_HOME=os.path.join(home, ".config"),
            XDG_DATA_HOME=os.path.join(home, ".local", "share"),
            XDG_CACHE_HOME=os.path.join(home, ".cache"),
            XDG_RUNTIME_DIR=os.path.join(self.tmp, "runtime"),
            QT_QPA_PLATFORM="xcb",
        )
        for d in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
            os.makedirs(self.env[d], exist_ok=True)
        os.chmod(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.procs = []
        if server:
            self._start_server(width, height)

    def _start_server(self, width, height):
        r, w = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        self.procs.append(xvfb)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise Failure("Xvfb did not report a display")
        self.env["DISPLAY"] = ":" + number
        self.procs.append(subprocess.Popen(["openbox"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        poll("the window manager",
             lambda: "window id" in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False))

    def run(self, argv, check=True):
        res = subprocess.run(argv, env=self.env, capture_output=True, text=True, errors="replace")
        if check and res.returncode != 0:
            raise subprocess.CalledProcessError(res.returncode, argv, res.stdout, res.stderr)
        return res.stdout

    def start(self, argv, cwd, stderr=subprocess.PIPE):
        p = subprocess.Popen(argv, env=self.env, cwd=cwd,
                             stdout=subprocess.DEVNULL, stderr=stderr)
        self.procs.append(p)
        return p

    def find_window(self, name_regex, visible=True):
        argv = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", name_regex]
        out = self.run(argv, check=False).split()
        return out[0] if out else None

    def window_names(self):
        """Every visible window's name: what was on the screen instead."""
        ids = self.run(["xdotool", "search", "--onlyvisible", "--name", ""], check=False).split()
        return [name for name in map(self.window_name, ids) if name]

    def window_name(self, wid):
        return self.run(["xdotool", "getwindowname", wid], check=False).strip()

    def geometry(self, wid):
        """Absolute left, top, width, height of a window."""
        info = self.run(["xwininfo", "-id", wid])
        values = {}
        for line in info.splitlines():
            line = line.strip()
            for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                if line.startswith(key + ":"):
                    values[key] = int(line.split(":")[1])
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
                values["Width"], values["Height"])

    def column(self, x, y, height):
        """The colours of a column of pixels, top to bottom."""
        out = self.run(["import", "-silent", "-window", "root", "-crop", f"1x{height}+{x}+{y}",
                        "-depth", "8", "txt:-"])
        colours = []
        for line in out.splitlines():
            if line.startswith("#"):
                continue
            inner = line.split("(")[1].split(")")[0]
            colours.append(tuple(int(round(float(p))) for p in inner.split(",")[:3]))
        return colours

    def is_minimized(self, wid):
        state = self.run(["xprop", "-id", wid, "_NET_WM_STATE", "WM_STATE"], check=False)
        return "_NET_WM_STATE_HIDDEN" in state or "Iconic" in state

    def pixel(self, x, y):
        """The colour of one pixel of the screen as (r, g, b)."""
        out = self.run(["import", "-silent", "-window", "root", "-crop", f"1x1+{x}+{y}",
                        "-depth", "8", "txt:-"])
        for line in out.splitlines():
            if line.startswith("0,0:"):
                inner = line.split("(")[1].split(")")[0]
                parts = [float(p) for p in inner.split(",")[:3]]
                return tuple(int(round(p)) for p in parts)
        raise Failure("could not read pixel: " + out)

    def screenshot(self, path, wid="root"):
        self.run(["import", "-silent", "-window", wid, path])

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "20"] + list(keys))

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "10", text])

    def click(self, x, y, button=1, double=False):
        self.run(["xdotool", "mousemove", str(x), str(y)])
        self.run(["xdotool", "click"] + (["--repeat", "2", "--delay", "80"] if double else []) + [str(button)])

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)
