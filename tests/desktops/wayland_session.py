"""A private Wayland session for one row of the matrix: the private folders
and session bus of DesktopSession, but the compositor's own XWayland in place
of Xvfb and openbox. Rootless XWayland refuses to read the root window, so
the screen is read through the compositor's screenshot service, and the
program's own pixels through its window."""
import glob
import os
import pwd
import re
import select
import subprocess

from desktop_session import DesktopSession, Failure, Shot, poll

HERE = os.path.dirname(os.path.abspath(__file__))
FAKE_INPUT_XML = "/usr/share/plasma-wayland-protocols/fake-input.xml"


class CompositorClient:
    """compositor_client.py on the session's bus, asked one line at a time."""

    def __init__(self, session, kind):
        self.proc = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "compositor_client.py"), kind],
                                     env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        session.groups.append(self.proc)
        self.answer("the compositor client")

    def ask(self, line, timeout=15):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        self.answer(line, timeout)

    def answer(self, what, timeout=15):
        if not select.select([self.proc.stdout], [], [], timeout)[0]:
            raise Failure(f"no answer from the compositor client to {what!r}")
        reply = self.proc.stdout.readline().strip()
        if reply != "ok":
            raise Failure(f"{what}: {reply or 'the compositor client ended'}")


class WaylandSession(DesktopSession):
    rootless = True

    def __init__(self, desktop_name):
        super().__init__(desktop_name, server=False)
        self.env.pop("DISPLAY", None)
        self.env.update(XDG_SESSION_TYPE="wayland")
        self.log = os.path.join(self.tmp, "compositor.log")
        self.client = None
        self.native_input = None  # click(x, y) and key(*names) for native Wayland windows

    def from_log(self, what, pattern, proc, timeout=20):
        """The first group of pattern in the compositor's log, once it is there."""
        def found():
            if proc.poll() is not None:
                raise Failure(f"the compositor exited with status {proc.returncode}")
            with open(self.log, errors="replace") as f:
                m = re.search(pattern, f.read())
            return m and m.group(1)
        return poll(what, found, timeout=timeout)

    def x_ready(self, display, xauthority=None):
        """The compositor's XWayland in the session's environment."""
        self.env["DISPLAY"] = display
        if xauthority:
            self.env["XAUTHORITY"] = xauthority
            # This process reads pixels through Xlib too, without the cookie.
            self.run(["xhost", "+si:localuser:" + pwd.getpwuid(os.getuid()).pw_name])
        poll("XWayland answering", lambda: self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                    check=False).count("window id"))

    def wayland_display(self):
        return poll("the Wayland socket", lambda: [os.path.basename(p) for p in glob.glob(
            os.path.join(self.env["XDG_RUNTIME_DIR"], "wayland-*")) if not p.endswith(".lock")])[0]

    def shot(self):
        path = os.path.join(self.tmp, "shot.ppm")
        self.client.ask("shot " + path)
        with open(path, "rb") as f:
            return Shot(f.read())

    def click(self, x, y, button=1, double=False):
        if not self.native_input:
            return super().click(x, y, button, double)
        self.native_input.click(x, y)

    def key(self, *keys):
        if not self.native_input:
            return super().key(*keys)
        self.native_input.key(*keys)


class GnomeInput:
    """mutter's remote desktop service, through the compositor client."""

    def __init__(self, client):
        self.client = client

    def click(self, x, y):
        self.client.ask(f"move {x} {y}")
        self.client.ask("click")

    def key(self, *names):
        self.client.ask("key " + " ".join(names))


# evdev codes of the keys the matrix presses.
EVDEV = {"Escape": 1, "Tab": 15, "Return": 28, "alt": 56, "F4": 62, "Home": 102, "Down": 108,
         "Next": 109, "super": 125}


class KwinInput:
    """KWin's fake input protocol, through a small client built here."""

    def __init__(self, session):
        self.session = session
        build = os.path.join(session.tmp, "fake-input")
        os.makedirs(build)
        for kind, out in (("client-header", "fake-input-client.h"), ("private-code", "fake-input.c")):
            session.run(["wayland-scanner", kind, FAKE_INPUT_XML, os.path.join(build, out)])
        self.binary = os.path.join(build, "fake_input")
        session.run(["cc", "-O1", "-o", self.binary, "-I", build, os.path.join(HERE, "fake_input.c"),
                     os.path.join(build, "fake-input.c"), "-lwayland-client"])

    def steps(self, *steps):
        self.session.run([self.binary] + list(steps))

    def click(self, x, y):
        self.steps(f"abs:{x},{y}", "click")

    def key(self, *names):
        self.steps(*("key:" + "+".join(str(EVDEV[k]) for k in name.split("+")) for name in names))
