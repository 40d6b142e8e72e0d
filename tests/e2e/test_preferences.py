"""The preferences window on a real X server: opened from the tray menu with a
picture of each page, and a snooze preset changed with OK that is in the
preferences file at once and comes back through the window after a restart."""

import os
import signal
import struct
import time

from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WINDOW = "Preferences"
PAGES = ["general", "reminders_window", "popupnote_action", "e_mail_action", "action_reflexes", "editorial", "about"]


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def _open_from_tray(s, p):
    s.open_tray_menu(p)
    s.press("Down", "Down", "Down", "Return")  # Add a Reminder, Reminders..., Preferences...
    w = s.wait_window(WINDOW, timeout=10, proc=p)
    s.focus(w)
    return w


def _stored_integer(path, name):
    """A 32-bit-or-smaller integer property of the preferences file, by name."""
    with open(path, "rb") as f:
        data = f.read()
    key = bytes([len(name)]) + name.encode("ascii")
    at = data.find(key)
    check(at >= 0, "no %s in %s" % (name, path))
    kind, value = data[at + len(key)], data[at + len(key) + 1:]
    sizes = {2: "<b", 3: "<h", 4: "<i"}
    check(kind in sizes, "%s is stored with value type %d" % (name, kind))
    return struct.unpack_from(sizes[kind], value)[0]


def test_preferences_open_from_the_tray_and_a_snooze_preset_survives_a_restart(s):
    pfc = os.path.join(s.prog_dir, "Brivane.pfc")
    s.start_trayer()
    s.set_log_level(3)
    p = s.start()
    _started(s, p)

    w = _open_from_tray(s, p)
    for index, name in enumerate(PAGES):
        if index:
            s.press_and_wait_change(w, "ctrl+Tab")
        s.painted_screenshot(w, "page_%d_%s" % (index, name), min_colours=8)
    # Back from About to Popupnote Action; the keyboard is on its first preset.
    s.press_and_wait_change(w, *["ctrl+shift+Tab"] * 4)
    s.press("ctrl+a")
    s.x("xdotool", "type", "--delay", "20", "7", check_rc=True)
    s.painted_screenshot(w, "snooze_changed", min_colours=8)
    s.press("Return")  # OK
    s.wait_window_gone(w, timeout=5)
    s.wait_log_line("Info: Preferences saved.", timeout=5, proc=p)
    check(_stored_integer(pfc, "Snooze1N") == 7, "OK did not write the changed preset")
    check(s.ini_value("Preferences", "Tab") == "2", "the page shown was not remembered")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)

    # The next start reads it back: the window opens on the remembered page with
    # the preset, and OK writes the file again from what the window shows.
    again = s.start("again")
    _started(s, again)
    w = _open_from_tray(s, again)
    s.painted_screenshot(w, "after_restart_popupnote_action", min_colours=8)
    before = os.stat(pfc).st_mtime_ns
    s.press("Return")
    s.wait_window_gone(w, timeout=5)
    deadline = time.monotonic() + 5
    while os.stat(pfc).st_mtime_ns == before:
        check(time.monotonic() < deadline, "OK after the restart did not write the file")
        time.sleep(0.05)
    check(_stored_integer(pfc, "Snooze1N") == 7, "the preset did not come back after the restart")
    again.send(signal.SIGTERM)
    again.expect_exit(0, timeout=10)
