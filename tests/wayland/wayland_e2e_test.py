#!/usr/bin/python3
"""The window in a Wayland session, end to end: run by sway_session.sh inside
a headless sway with Xwayland (the CTest test wayland_e2e).

    sway_session.sh --size 1280x800 wayland_e2e_test.py PROGRAM_DIR

The window runs twice, once as a desktop without a preference starts it and
once with QT_QPA_PLATFORM=wayland inherited, as sway and KDE users often set
it for every program. Each time it must map as an Xwayland window; its menu
must open under its button; a key typed on the compositor's seat must be
captured by the single-key dialog and stored; the skin must drag the window;
and the cut-off corners must show the desktop behind them.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from session import (Screenshot, TestFailure, run, scratch, sway_window, wait_for,  # noqa: E402
                     x_geometry, x_popups)
from wl_input import Seat  # noqa: E402

TITLE = "Corvane II Gaming Mouse"
DIALOG = "Single Key"
# The desktop's colour (sway_session.sh paints it).
BACKGROUND = (0x20, 0x40, 0x60)
# In the main window: assignment button 4, its menu's size, the single-key
# row, Apply and close; in the small dialog, OK.
BUTTON = 3
BUTTON_LEFT, BUTTON_BOTTOM = 520, 220 + 28 * BUTTON
MENU_WIDTH, MENU_ROW = 180, 20
SINGLE_KEY_ROW = 5
APPLY = (665, 684)
CLOSE = (998, 27)
OK = (181, 232)
# A place of bare skin to drag by, and how far.
GRIP = (40, 120)
DRAG = (150, 60)
LAG = 8


def log_of(name):
    with open(scratch(name), errors="replace") as f:
        return f.read()


def labels(program_dir):
    out = run(os.path.join(program_dir, "vantixctl"), "labels", "1", "--program-dir",
              program_dir + "/", check=False)
    return out.splitlines()


def check_corners(name, what, rect, failures, picture, before=None):
    """The cut-off corners show what was behind them (the desktop, or the
    screenshot before): noted in failures, not fatal, so that the other
    checks still tell their part."""
    shot = Screenshot(save_png=scratch(picture))
    corners = {"top-left": (rect.x + 2, rect.y + 2),
               "bottom-right": (rect.x + rect.width - 3, rect.y + rect.height - 3)}
    for corner, (x, y) in corners.items():
        behind = before.pixel(x, y) if before else BACKGROUND
        if shot.pixel(x, y) != behind:
            failures.append("%s: the %s's %s corner shows %r instead of %r behind it"
                            % (name, what, corner, shot.pixel(x, y), behind))


def one_run(seat, program_dir, name, extra_env, key_code, key_label, failures):
    steps = []

    def step(text):
        steps.append("%5.1f s  %s" % (time.monotonic() - started, text))

    started = time.monotonic()
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env.update(extra_env)
    env["VANTIX_AGENT_BACKEND"] = "simulated"
    log = scratch("vantix-%s.log" % name)
    with open(log, "w") as out:
        app = subprocess.Popen([os.path.join(program_dir, "vantix")], env=env, stdout=out,
                               stderr=subprocess.STDOUT)
    try:
        shell, win, xid = wait_for("the main window", lambda: sway_window(TITLE))
        if shell != "xwayland":
            raise TestFailure("the window runs on %s, not Xwayland" % shell)
        win = x_geometry(xid)
        step("mapped at %r (X window %s)" % (win, hex(xid)))

        # Painted once the button row shows its face instead of the desktop.
        button = (win.x + BUTTON_LEFT + 74, win.y + BUTTON_BOTTOM - 10)
        wait_for("the first frame", lambda: Screenshot().pixel(*button) != BACKGROUND)
        check_corners(name, "main window", win, failures, "window-%s.png" % name)

        seat.click(*button)
        menus = wait_for("the assignment menu",
                         lambda: [r for _, r in x_popups() if r.width == MENU_WIDTH])
        menu = menus[0]
        want = (win.x + BUTTON_LEFT, win.y + BUTTON_BOTTOM)
        if (menu.x, menu.y) != want:
            raise TestFailure("the menu opened at %d,%d, not under its button at %d,%d"
                              % (menu.x, menu.y, want[0], want[1]))
        step("menu at %r" % menu)

        before_dialog = Screenshot()
        seat.click(menu.x + MENU_WIDTH // 2, menu.y + SINGLE_KEY_ROW * MENU_ROW + MENU_ROW // 2)
        _, _, dialog_id = wait_for("the single-key dialog", lambda: sway_window(DIALOG))
        dialog = x_geometry(dialog_id)
        step("dialog at %r" % dialog)
        wait_for("the dialog's face", lambda: Screenshot().pixel(
            dialog.x + OK[0], dialog.y + OK[1]) != BACKGROUND)
        check_corners(name, "dialog", dialog, failures, "dialog-%s.png" % name,
                      before_dialog)
        time.sleep(0.3)  # the hook is on once the dialog has been shown
        seat.tap(key_code)
        time.sleep(0.3)
        seat.click(dialog.x + OK[0], dialog.y + OK[1])
        wait_for("the dialog to close", lambda: sway_window(DIALOG) is None)
        seat.click(win.x + APPLY[0], win.y + APPLY[1])
        wait_for("the label %r of button %d in profile 1" % (key_label, BUTTON + 1),
                 lambda: len(labels(program_dir)) > BUTTON and
                 labels(program_dir)[BUTTON] == key_label)
        step("key stored")

        seat.drag(win.x + GRIP[0], win.y + GRIP[1], win.x + GRIP[0] + DRAG[0],
                  win.y + GRIP[1] + DRAG[1])
        moved = wait_for("the window to move",
                         lambda: (lambda r: r if (r.x, r.y) != (win.x, win.y) else None)(
                             x_geometry(xid)))
        # The move starts a few pixels after the press: it may lag that much.
        if abs(moved.x - win.x - DRAG[0]) > LAG or abs(moved.y - win.y - DRAG[1]) > LAG:
            raise TestFailure("the drag moved the window by %d,%d instead of %d,%d"
                              % (moved.x - win.x, moved.y - win.y, DRAG[0], DRAG[1]))
        step("dragged to %r" % moved)

        seat.click(moved.x + CLOSE[0], moved.y + CLOSE[1])
        app.wait(10)
        step("closed")
    except Exception:
        sys.stdout.write("\n".join(steps) + "\n--- vantix output:\n" + log_of(os.path.basename(log)))
        raise
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
    print("%s: %s" % (name, "; ".join(s.split("  ", 1)[1] for s in steps)))
    return time.monotonic() - started


def main(argv):
    program_dir = os.path.abspath(argv[1])
    started = time.monotonic()
    failures = []
    with Seat() as seat:
        # KEY_A, then KEY_B: the second run must store its own key.
        one_run(seat, program_dir, "default", {}, 30, "A", failures)
        one_run(seat, program_dir, "wayland-inherited", {"QT_QPA_PLATFORM": "wayland"}, 48, "B",
                failures)
    if failures:
        raise TestFailure("\n".join(failures))
    print("passed in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except TestFailure as failure:
        print("FAILED: %s" % failure)
        sys.exit(1)
