"""On a Wayland session the hot keys go through the desktop portal: both
shortcuts are bound with the preferences' keys, and the portal's Activated
opens their windows. A portal without global shortcuts gets the user told
once how to bind the commands in the desktop's settings."""

import subprocess

from harness import check
from portal_bus import FakePortal

START_TIMEOUT = 15
REMINDERS = r"^Reminders  - "
WIZARD = "Add Reminder wizard"
HINT = "^Brivane - Hot keys$"


def test_portal_hot_keys_open_the_windows(s):
    portal = FakePortal(s)
    s.set_log_level(3)  # nothing open until a key is pressed; the log keeps every line
    p = s.start(env=portal.env())
    bound = portal.wait_bound(timeout=START_TIMEOUT)
    check(bound == {"add-reminder": "CTRL+SHIFT+T", "open-reminders": "CTRL+SHIFT+L"},
          "bound at the portal: %r" % bound)
    check(not s.find_windows(REMINDERS), "the Reminders window opened before its key was pressed")
    portal.activate("open-reminders")
    s.wait_window(REMINDERS, timeout=10, proc=p, exact=False)
    portal.activate("add-reminder")
    s.wait_window(WIZARD, timeout=10, proc=p, exact=False)
    s.wait_log_line(lambda line: "Wayland session" in line, timeout=5, proc=p)


def test_portal_without_shortcuts_hints_once(s):
    portal = FakePortal(s, "--no-shortcuts")
    p = s.start(env=portal.env())
    hint = s.wait_window(HINT, timeout=START_TIMEOUT, proc=p, exact=False)
    for splash in s.find_windows("^Brivane splash$"):
        s.wait_window_gone(splash, timeout=10)
    s.painted_screenshot(hint, "hint")
    check(s.ini_value("HotKeys", "BindingHintShown") == "1", "the ini file does not remember the hint")
    p.stop()

    again = s.start(env=portal.env())
    s.wait_window(REMINDERS, timeout=START_TIMEOUT, proc=again, exact=False)
    # The hint would be up before the program answers a later start; once
    # that answer came, its absence is final.
    r = subprocess.run([s.exe, "open", "preferences"], env=dict(s.env, **portal.env()), stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=40)
    check(r.returncode == 0, "open preferences: %d %r" % (r.returncode, r.stderr))
    s.wait_window("Preferences", timeout=10, proc=again, exact=False)
    check(not s.find_windows(HINT), "the hint came a second time")
