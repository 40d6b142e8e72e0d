"""Texts in any script on the real program: a reminder whose title is typed in
the wizard in three scripts pops up after a restart with that title, whole."""

import signal
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WIZARD = "Add Reminder wizard"
LIST = r"^Reminders  - "
TITLE = "Zadzwo\u0144 \u2014 \u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c"


def _started(s, p):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    s.wait_window_gone(splash, timeout=10)


def _window_titled(s, p, title, timeout):
    """The window of p whose title is exactly title (compared here, not as a pattern)."""
    deadline = time.monotonic() + timeout
    while True:
        found = s.windows_of(p)
        for wid, name in found.items():
            if name == title:
                return wid
        check(p.running(), "%s ended: %s" % (p.name, p.output()[-2000:]))
        check(time.monotonic() < deadline, "no window titled %r; the program shows %r" % (title, sorted(found.values())))
        time.sleep(0.2)


def test_wizard_title_in_three_scripts_pops_up_whole_after_a_restart(s):
    # Every reminder in the Details view, for the picture of the list.
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\nStyle=3\nTaskFilter=4\n")
    store = records.store_folder(s) + "/Brivane.dat"
    p = s.start()
    _started(s, p)
    s.press("ctrl+shift+t")
    w = s.wait_window(WIZARD, timeout=10, proc=p)
    s.focus(w)
    s.press("Return")  # Next: Alarm is chosen
    s.wait_window(WIZARD + " - Untitled", timeout=5, proc=p)
    s.press("ctrl+a")  # over "Untitled"
    s.type_in_caption(w, TITLE, WIZARD + " - ")
    s.press("Tab")
    s.x("xdotool", "type", "--delay", "30", "Call before noon.", check_rc=True)
    s.painted_screenshot(w, "wizard_title_in_three_scripts", min_colours=8)
    s.press_and_wait_change(w, "shift+Tab", "Return")  # Next
    s.press("shift+Tab", "Down")  # "or in" a minute from now
    s.press_and_wait_change(w, "Return")  # Next: the actions
    s.press("ctrl+s")
    s.wait_window_gone(w, timeout=5)
    deadline = time.monotonic() + 10
    while True:
        try:
            if records.saved_titles(store):
                break
        except (OSError, AssertionError, UnicodeDecodeError):
            pass  # not written yet, or a title the old code page cannot read
        check(time.monotonic() < deadline, "the reminder did not reach the store")
        time.sleep(0.1)

    s.x("xdotool", "key", "--clearmodifiers", "ctrl+shift+l", check_rc=True)
    listing = s.wait_window(LIST, timeout=10, proc=p, exact=False)
    s.painted_screenshot(listing, "reminders_title_in_three_scripts", min_colours=8)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=15)

    # Due a minute after it was made; the note shows the title as typed.
    p = s.start()
    note = _window_titled(s, p, TITLE, timeout=START_TIMEOUT + 75)
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)
    s.painted_screenshot(note, "note_title_in_three_scripts", min_colours=8)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=15)

test_wizard_title_in_three_scripts_pops_up_whole_after_a_restart.deadline = 150  # the alarm is due a minute on
