#!/usr/bin/env python3
"""Starts the real program in a private X server and checks what a person sees:
window titles, the listed pictures shown by Down and Up, and the program
ending when its frame is closed."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import Failure, XSession, poll  # noqa: E402

RED, BLUE, GREEN = (255, 0, 0), (0, 0, 255), (0, 160, 0)
TWIPS_PER_PIXEL = 15  # 96 DPI


def make_pictures(folder):
    os.makedirs(folder)
    def convert(*args):
        subprocess.run(["convert"] + list(args), check=True)
    convert("-size", "300x200", "xc:rgb(0,0,255)", "-quality", "95", os.path.join(folder, "beach.jpg"))
    convert("-size", "2400x1600", "xc:rgb(0,160,0)", "BMP3:" + os.path.join(folder, "big.BMP"))
    convert("-size", "300x200", "xc:rgb(255,0,0)", "BMP3:" + os.path.join(folder, "red.bmp"))
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("not a picture\n")


def close_to(colour, want, tolerance=12):
    return colour and all(abs(a - b) <= tolerance for a, b in zip(colour, want))


def main():
    binary = os.path.abspath(sys.argv[1])
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    x = XSession()
    started = time.monotonic()
    try:
        pictures = os.path.join(x.tmp, "pictures")
        make_pictures(pictures)
        # Arguments are ignored.
        app = x.start([binary, "--ignored", "whatever.jpg"], cwd=pictures)
        frame = poll("the frame window", lambda: x.find_window(r"^v1\.7"))
        poll("the browser caption in the frame title",
             lambda: x.window_name(frame) == "v1.7 - [Glimmerbox - Tarvolin]", timeout=5)
        left, top, _, _ = x.geometry(frame)

        # The file list sits at (60, 135) twips; its first entry is beach.jpg.
        x.click(left + 60 // TWIPS_PER_PIXEL + 20, top + 135 // TWIPS_PER_PIXEL + 8)
        home = (left + 2130 // TWIPS_PER_PIXEL + 10, top + 135 // TWIPS_PER_PIXEL + 10)
        poll("beach.jpg shown", lambda: close_to(x.pixel(*home), BLUE))
        x.key("Down")
        poll("big.BMP shown", lambda: close_to(x.pixel(*home), GREEN))
        if shots:
            x.screenshot(os.path.join(shots, "browser.png"))
        x.key("Down")
        poll("red.bmp shown", lambda: close_to(x.pixel(*home), RED))
        x.key("Up")
        poll("big.BMP shown again", lambda: close_to(x.pixel(*home), GREEN))

        # Closing the frame ends the program at once.
        x.run(["wmctrl", "-i", "-c", frame])
        poll("the program to end", lambda: app.poll() is not None)
        if app.returncode != 0:
            raise Failure(f"exit code {app.returncode}: {app.stderr.read()[-2000:]}")
    except Failure as e:
        print(f"e2e smoke: FAILED: {e}")
        if shots:
            try:
                x.screenshot(os.path.join(shots, "failure.png"))
            except Exception:
                pass
        return 1
    finally:
        x.close()
    print(f"e2e smoke: passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
