"""What a test inside tests/wayland/sway_session.sh needs to look at the
session: sway's windows and their places, X windows of Xwayland that sway
does not manage (menus), screenshots, waiting. Standard library only."""

import json
import os
import re
import subprocess
import time


class TestFailure(AssertionError):
    pass


def run(*argv, check=True):
    """A command's output, without trailing blanks."""
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if check and done.returncode != 0:
        raise TestFailure("%s failed (%d): %s" % (" ".join(argv), done.returncode, done.stdout))
    return done.stdout.rstrip()


def wait_for(what, probe, limit=10.0, step=0.05):
    """probe()'s first true value within limit seconds; fails naming what."""
    deadline = time.monotonic() + limit
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure("timed out waiting for " + what)
        time.sleep(step)


class Rect:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return "%dx%d+%d+%d" % (self.width, self.height, self.x, self.y)


def sway_windows():
    """Every window sway manages: (name, shell, rect, X window id or None)."""
    tree = json.loads(run("swaymsg", "-t", "get_tree"))
    found = []

    def walk(node):
        if node.get("type") in ("con", "floating_con") and node.get("name") is not None:
            r = node["rect"]
            found.append((node["name"], node.get("shell"), Rect(r["x"], r["y"], r["width"],
                                                                 r["height"]),
                          node.get("window")))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)

    walk(tree)
    return found


def sway_window(name):
    """(shell, rect, X id) of the window of that exact title, or None."""
    for title, shell, rect, window in sway_windows():
        if title == name:
            return shell, rect, window
    return None


def x_popups():
    """The viewable X windows that sway does not manage (override-redirect:
    menus, tooltips), with their root geometry."""
    popups = []
    for line in run("xwininfo", "-root", "-children").splitlines():
        match = re.match(r"\s+(0x[0-9a-f]+) .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)",
                         line)
        if not match:
            continue
        info = run("xwininfo", "-id", match.group(1), check=False)
        if "IsViewable" not in info or "Override Redirect State: yes" not in info:
            continue
        width, height, x, y = (int(match.group(i)) for i in (2, 3, 6, 7))
        popups.append((match.group(1), Rect(x, y, width, height)))
    return popups


class Screenshot:
    """The whole output, taken with grim as a PPM."""

    def __init__(self, save_png=None):
        data = subprocess.run(["grim", "-t", "ppm", "-"], stdout=subprocess.PIPE,
                              check=True).stdout
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if not match:
            raise TestFailure("grim gave no PPM picture")
        self.width, self.height = int(match.group(1)), int(match.group(2))
        self._pixels = data[match.end():]
        if save_png:
            subprocess.run(["grim", save_png], check=True)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self._pixels[i:i + 3])


def scratch(name):
    return os.path.join(os.environ["VANTIX_SWAY_DIR"], name)


def x_geometry(window):
    """The root position and size of an X window (an int or "0x..." id)."""
    info = run("xwininfo", "-id", str(window))
    values = {}
    for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
        match = re.search(r"^\s*%s:\s+(-?\d+)" % key, info, re.M)
        if not match:
            raise TestFailure("xwininfo tells no %s of %s" % (key, window))
        values[key] = int(match.group(1))
    return Rect(values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
                values["Height"])
