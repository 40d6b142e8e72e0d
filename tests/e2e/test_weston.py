"""The program in a Wayland compositor (weston, headless, with XWayland): its
windows go through XWayland on their own, and a reminder due at the start
pops up as a note there."""

import datetime
import os
import re
import shutil
import time

from harness import TestFailure, check
from records import alarm, days, write_store

START_TIMEOUT = 20
SOCKET = "brivane-e2e-wayland"


def _xwayland_display(s, weston, timeout=15.0):
    """The X display weston's XWayland listens on, from weston's log."""
    deadline = time.monotonic() + timeout
    while True:
        m = re.search(r"xserver listening on display (:\d+)", weston.output())
        if m:
            return m.group(1)
        if not weston.running() or time.monotonic() >= deadline:
            raise TestFailure("weston gave no XWayland display:\n%s" % weston.output()[-2000:])
        time.sleep(0.05)


def test_a_note_pops_up_in_weston(s):
    exe = shutil.which("weston")
    check(exe is not None, "weston is not installed (scripts/deps.sh --test)")
    weston = s.start("weston", exe=exe, args=["--backend=headless-backend.so", "--xwayland", "--socket=" + SOCKET,
                                              "--idle-time=0"])
    display = _xwayland_display(s, weston)
    due = days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    write_store(s, [alarm("Water the plants", due, False)])
    s.set_log_level(3)
    # A Wayland session as a desktop gives it: the program chooses the window system itself.
    s.env.pop("QT_QPA_PLATFORM")
    s.env.update({"DISPLAY": display, "WAYLAND_DISPLAY": SOCKET, "XDG_SESSION_TYPE": "wayland"})
    p = s.start()
    s.wait_window("Water the plants", timeout=START_TIMEOUT, proc=p)
    s.wait_log_line(lambda line: "windows through XWayland (QT_QPA_PLATFORM=xcb)" in line, proc=p)
    check(os.path.exists(os.path.join(s.runtime_dir, SOCKET)), "weston's socket is gone")
