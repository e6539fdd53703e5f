#!/usr/bin/env python3
"""Key to picture: how long after a key goes down the window shows it, measured from outside.

Starts an X server of its own (Xvfb, with openbox), plays the demo in the window with each
run-ahead setting asked for, and for each press: puts Up down through XTEST, then reads the
window's pixels of the demo's input marks (as the desktop test's `keys` case reads them) in a
tight loop until they change, and lets the key go. Prints each setting's mean, median, spread,
least and most in milliseconds. Xlib is reached through ctypes, so nothing beyond the X server, the
window manager and xdotool (which the desktop tests install) is needed.

    tools/key_to_picture.py build/release [--presses 40] [--run-ahead 0 1 2]

A measurement, not a test: the figures depend on the machine and how busy it is.
"""
import argparse
import ctypes
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

MENU_BAR = 19
# The demo's six input marks at twice their size, in the window (tests/desktop/desktop_test.sh).
MARKS_X, MARKS_Y, MARKS_W, MARKS_H = 400, 16 + MENU_BAR, 96, 16
ZPIXMAP = 2
ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def load_xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XGetSubImage.restype = ctypes.POINTER(XImage)
    x11.XGetSubImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                 ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
                                 ctypes.POINTER(XImage), ctypes.c_int, ctypes.c_int]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                       ctypes.c_ulong]
    return x11, xtst


class Marks:
    """The marks' pixels, read into one reused image."""

    def __init__(self, x11, display, window):
        self.x11, self.display, self.window = x11, display, window
        self.image = x11.XGetImage(display, window, MARKS_X, MARKS_Y, MARKS_W, MARKS_H,
                                   ALL_PLANES, ZPIXMAP)
        if not self.image:
            sys.exit("key_to_picture: can't read the window's pixels")
        self.size = self.image.contents.bytes_per_line * MARKS_H

    def read(self):
        self.x11.XGetSubImage(self.display, self.window, MARKS_X, MARKS_Y, MARKS_W, MARKS_H,
                              ALL_PLANES, ZPIXMAP, self.image, 0, 0)
        return ctypes.string_at(self.image.contents.data, self.size)


def wait_for(what, check, seconds=10.0):
    deadline = time.monotonic() + seconds
    while not check():
        if time.monotonic() > deadline:
            sys.exit("key_to_picture: " + what)
        time.sleep(0.05)


def start_x(scratch):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1280x1024x24", "-nolisten", "tcp"], pass_fds=[write_end],
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):  # the server writes its number once it listens
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("key_to_picture: Xvfb did not start")
        number += chunk
    number = number.decode().strip()
    os.close(read_end)
    os.environ["DISPLAY"] = ":" + number
    wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    time.sleep(1)
    return [wm, xvfb]


def find_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Plexaro$"],
                           capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def measure(build, ahead, presses, x11, xtst, display):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    program = subprocess.Popen([os.path.join(build, "host/plexaro"), "--run-ahead", str(ahead),
                                "--", os.path.join(build, "cartridges/demo/demo.sg")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = None

        def shown():
            nonlocal window
            window = find_window()
            return window is not None

        wait_for("no window titled Plexaro appeared", shown)
        subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], timeout=10)
        time.sleep(2)  # past the demo's first frames, on its title screen
        marks = Marks(x11, display, window)
        up = x11.XKeysymToKeycode(display, x11.XStringToKeysym(b"Up"))
        released = marks.read()
        delays = []
        for _ in range(presses):
            time.sleep(random.uniform(0.15, 0.25))  # any phase of the frame
            start = time.perf_counter()
            xtst.XTestFakeKeyEvent(display, up, 1, 0)
            x11.XSync(display, 0)
            while marks.read() == released:
                if time.perf_counter() - start > 2:
                    sys.exit("key_to_picture: Up did not light its mark")
            delays.append(1000 * (time.perf_counter() - start))
            xtst.XTestFakeKeyEvent(display, up, 0, 0)
            x11.XSync(display, 0)
            wait_for("the mark stayed lit", lambda: marks.read() == released, 2)
        return delays
    finally:
        program.terminate()
        program.wait(timeout=10)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build")
    parser.add_argument("--presses", type=int, default=40)
    parser.add_argument("--run-ahead", type=int, nargs="+", default=[0, 1, 2])
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as scratch:
        # Settings of its own: whoever runs it keeps theirs, and the window has its defaults.
        os.environ["XDG_CONFIG_HOME"] = scratch
        servers = start_x(scratch)
        try:
            x11, xtst = load_xlib()
            display = None
            for _ in range(50):  # a busy machine's X server may take a moment to listen
                display = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
                if display:
                    break
                time.sleep(0.1)
            if not display:
                sys.exit("key_to_picture: can't open the X display")
            for ahead in args.run_ahead:
                d = measure(args.build, ahead, args.presses, x11, xtst, display)
                # The median too: on a busy machine a few presses wait for the CPU far longer.
                print(f"run-ahead {ahead}: key to picture {statistics.mean(d):5.1f} ms mean, "
                      f"{statistics.median(d):5.1f} median, {statistics.stdev(d):4.1f} spread "
                      f"(sd), {min(d):5.1f} least, {max(d):5.1f} most, {len(d)} presses",
                      flush=True)
        finally:
            for server in servers:
                server.terminate()
                server.wait(timeout=10)


if __name__ == "__main__":
    main()
