#!/usr/bin/env python3
"""Times a unit driving across the field in the real program under its own Xvfb.

One unit stands at the window centre, seen from straight above. It is selected and sent to a
point near the right edge and back, TRIPS times (default 4). Two probe pixels are watched: the
unit's start and the goal. A trip's time runs from the frame in which the unit clears the probe
it leaves to the frame in which it covers the probe it drives to, so only the program's own
timing is measured, not the time xdotool takes to click. The simulation moves in fixed 10 ms
steps that follow the wall clock, so the trip should take the same time whatever the frame rate.

Environment: ZELMOR (the program, default build/zelmor), TRIPS.
"""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

SCENE = {
    "wdf/test.wdf": "m models.lst\np 0 0 0\no 0 0 0\nu unit.unit\np 0 30 0\no 0 -30 0\n"
                    "c 60 0.1 100\nx\n",
    "models.lst": "body body.mdl\nSELECTOR selector.mdl\n",
    "body.mdl": "v 4 -0.5 0.5 -0.5  0.5 0.5 -0.5  0.5 0.5 0.5  -0.5 0.5 0.5\n"
                "i 6 0 1 2 0 2 3\np 4\nc 1 0 1 1\nx\n",
    "selector.mdl": "v 4 -1 0.05 -1  1 0.05 -1  1 0.05 1  -1 0.05 1\n"
                    "i 6 0 1 2 0 2 3\np 4\nc 1 1 0 1\nx\n",
    "unit.unit": "m body\np 0 0 0\no 0 0 0\na body\nx\n",
}
START = (320, 240)
GOAL = (600, 240)


class Screen:
    """Reads single pixels of the root window through Xlib."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XGetPixel.restype = ctypes.c_ulong
        self.x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            sys.exit("arrival_time: cannot open the display")
        self.root = self.x11.XDefaultRootWindow(self.display)

    def magenta(self, point):
        image = self.x11.XGetImage(self.display, self.root, point[0], point[1], 1, 1,
                                   0xFFFFFFFF, 2)  # ZPixmap
        pixel = self.x11.XGetPixel(image, 0, 0)
        self.x11.XDestroyImage(image)
        r, g, b = (pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255
        return r > 200 and g < 60 and b > 200

    def wait(self, condition, limit):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            if condition():
                return time.monotonic()
            time.sleep(0.001)
        sys.exit("arrival_time: the unit did not get there")


def xdotool(display, *arguments):
    subprocess.run(["xdotool", *map(str, arguments)], check=True,
                   env=dict(os.environ, DISPLAY=display))


def main():
    program = os.path.realpath(os.environ.get("ZELMOR", "build/zelmor"))
    trips = int(os.environ.get("TRIPS", "4"))
    work = tempfile.mkdtemp()
    xvfb = zelmor = None
    try:
        for name, text in SCENE.items():
            os.makedirs(os.path.dirname(os.path.join(work, name)), exist_ok=True)
            with open(os.path.join(work, name), "w") as f:
                f.write(text)
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp"], pass_fds=[write_end],
                                stderr=subprocess.DEVNULL)
        os.close(write_end)
        display = ":" + os.fdopen(read_end).readline().strip()
        zelmor = subprocess.Popen([program], cwd=work, stderr=subprocess.DEVNULL,
                                  env=dict(os.environ, DISPLAY=display))
        screen = Screen(display)
        screen.wait(lambda: screen.magenta(START), 20)
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                 "^zelmor$"], capture_output=True, text=True, timeout=20,
                                env=dict(os.environ, DISPLAY=display)).stdout.split()[0]
        xdotool(display, "windowfocus", "--sync", window)
        time.sleep(1)
        xdotool(display, "mousemove", 280, 200, "mousedown", 1, "mousemove", 320, 240,
                "mousemove", 360, 280, "mouseup", 1, "mousemove", 320, 240)
        time.sleep(0.5)
        times = []
        here, there = START, GOAL
        for _ in range(trips):
            xdotool(display, "mousemove", *there, "click", 3, "mousemove", 320, 400)
            left = screen.wait(lambda: not screen.magenta(here), 10)
            arrived = screen.wait(lambda: screen.magenta(there), 20)
            times.append(arrived - left)
            time.sleep(3)  # the unit brakes and stands
            here, there = there, here
        fps = open(os.path.join(work, "zelmorGL.log")).read().split()[-2]
        print("arrival_time: %s: trips of %s ms (last frame rate %s fps)" % (
            program, " ".join("%.0f" % (t * 1000) for t in times), fps))
    finally:
        for process in (zelmor, xvfb):
            if process is not None:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
