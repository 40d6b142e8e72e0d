"""The end of the program soon after a reminder was made with the wizard: the
wizard's window and everything it used are gone by then, and the program must
still end in order (exit code 0) with the new reminder in the store."""

import shutil
import signal
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WIZARD = "Add Reminder wizard"
# Four scripts and a sign: the store keeps every character (UTF-8).
TITLE = "Zadzwo\u0144 do mamy \u2014 \u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c \u2713"
STORED = TITLE


def _type_title(s, w, text):
    s.type_in_caption(w, text, WIZARD + " - ")


def _wait_stored(store, title, timeout):
    deadline = time.monotonic() + timeout
    while True:
        try:
            found = records.saved_records(store)
        except (OSError, AssertionError):
            found = {}
        if title in found:
            return found[title]
        check(time.monotonic() < deadline, "%r did not reach the store (has %r)" % (title, sorted(found)))
        time.sleep(0.1)


def _start_openbox(s):
    openbox = shutil.which("openbox")
    check(openbox is not None, "openbox is not installed")
    s.start("openbox", exe=openbox, args=["--sm-disable"])
    deadline = time.monotonic() + 10
    while "_NET_SUPPORTING_WM_CHECK(WINDOW)" not in s.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout:
        check(time.monotonic() < deadline, "openbox did not take the display")
        time.sleep(0.1)


def _make_alarm_then_end(s, first_run, whole_wizard):
    s.set_log_level(3, first_run=first_run)
    store = records.store_folder(s) + "/Brivane.dat"
    p = s.start()
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    s.wait_window_gone(splash, timeout=10)
    s.press("ctrl+shift+t")
    w = s.wait_window(WIZARD, timeout=10, proc=p)
    s.focus(w)
    s.press("Return")  # Next: Alarm is chosen
    s.wait_window(WIZARD + " - Untitled", timeout=5, proc=p)
    s.press("ctrl+a")  # over "Untitled"
    _type_title(s, w, TITLE)
    if whole_wizard:
        s.press("Tab")
        s.x("xdotool", "type", "--delay", "30", "Ask about Sunday.", check_rc=True)
        s.press_and_wait_change(w, "shift+Tab", "Return")  # Next
        s.press("shift+Tab", "Down")  # "or in" a minute from now
        s.press_and_wait_change(w, "Return")  # Next: the actions
    s.press("ctrl+s")
    s.wait_window_gone(w, timeout=5)
    # The change is written a moment later; the end follows at once.
    _wait_stored(store, STORED, timeout=10)
    p.send(signal.SIGTERM)
    rc = p.wait_exit(15)
    out = p.output()
    check("ERROR: AddressSanitizer" not in out and "runtime error:" not in out,
          "the sanitizers reported a fault:\n%s" % out[-4000:])
    check(rc == 0, "%s exited with %s, expected 0:\n%s" % (p.name, rc, out[-2000:]))
    lines = s.log_lines() or []
    check(lines and lines[-1].startswith("Info:*** Terminated at "),
          "the log does not end with the finalization: %r" % lines[-5:])
    r = records.saved_record(store, STORED)
    check(r[records.TASKKIND] == records.ALARM and r[records.ENABLED] == 1, "the alarm was not kept as made")


def test_sigterm_after_a_wizard_alarm_with_a_foreign_title(s):
    _make_alarm_then_end(s, first_run=False, whole_wizard=False)


def test_sigterm_after_a_wizard_alarm_on_a_first_run_desktop(s):
    """As a new user meets it: a window manager, a notification area, and the
    Reminders window open at the first start."""
    _start_openbox(s)
    s.start_trayer()
    _make_alarm_then_end(s, first_run=True, whole_wizard=True)
