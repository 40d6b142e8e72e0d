"""Windows under a real window manager (openbox): each opens where it was left,
frame for frame, however often it is opened; and the Reminders window keeps
its view, filter and place when the program ends while it is open."""

import datetime
import signal
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
REMINDERS = r"^Reminders  - "
WIZARD = "Add Reminder wizard"
PREFERENCES = "Preferences"
OPENINGS = 4


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def _ini(s, **tasklist):
    lines = ["[Debug]", "Level=3", "[Tasklist]", "FirstRun=0"]
    lines += ["%s=%s" % kv for kv in tasklist.items()]
    s.write_ini("\n".join(lines) + "\n")


def _open_reminders(s, p):
    s.press("ctrl+shift+l")
    return s.wait_window(REMINDERS, timeout=10, proc=p, exact=False)


def _open_wizard(s, p):
    s.press("ctrl+shift+t")
    return s.wait_window(WIZARD, timeout=10, proc=p)


def _open_preferences(s, p):
    s.open_tray_menu(p)
    s.press("Down", "Down", "Down", "Return")  # Add a Reminder, Reminders..., Preferences...
    return s.wait_window(PREFERENCES, timeout=10, proc=p)


def _places(s, p, name, open_window):
    """Open and close (Escape) the window several times; the frame and client
    rectangles of each opening, with a screenshot of the screen."""
    places = []
    for i in range(OPENINGS):
        w = open_window(s, p)
        frame = s.frame_geometry(w)
        client = s.client_geometry(w)
        s.log("%s opening %d: frame %s, client %s" % (name, i + 1, frame, client))
        check(frame[:2] != client[:2], "%s has no frame around it: is the window manager running?" % name)
        places.append((frame, client))
        s.painted_screenshot("root", "%s_opening_%d" % (name, i + 1), min_colours=16)
        s.focus(w)
        s.press("Escape")
        s.wait_window_gone(w, timeout=5)
    return places


def test_windows_open_where_they_were_left_under_a_window_manager(s):
    s.start_window_manager()
    s.start_trayer()
    _ini(s)
    p = s.start()
    _started(s, p)
    for name, open_window in (("reminders", _open_reminders), ("wizard", _open_wizard),
                              ("preferences", _open_preferences)):
        places = _places(s, p, name, open_window)
        frames = [f for f, _ in places]
        # Every opening after the first is placed from what the one before it
        # stored; all of them must be where the first one was.
        check(len(set(frames)) == 1, "%s moved between openings: frames %s" % (name, frames))
        client = places[-1][1]
        section = {"reminders": "TaskList", "wizard": "TaskWizard", "preferences": "Preferences"}[name]
        stored = tuple(int(s.ini_value(section, k, "-1")) for k in ("Left", "Top", "Width", "Height"))
        check(stored == client, "%s stored %s, its client area was %s" % (name, stored, client))
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_reminders_window_state_survives_the_end_of_the_program(s):
    s.start_window_manager()
    now = datetime.datetime.now()
    records.write_store(s, [records.alarm("Water the plants", records.days(now + datetime.timedelta(days=1)), True),
                            records.alarm("Pay the rent", records.days(now + datetime.timedelta(days=3)), False)])
    _ini(s, Style=3, TaskFilter=4, SortBy=0, Ascending=1)
    p = s.start()
    _started(s, p)
    w = _open_reminders(s, p)
    s.frame_geometry(w)
    s.focus(w)
    s.press("F6")  # Details -> Large Icons
    s.press("F7")  # All -> Completed
    # Somewhere else, and another size, as a user drags it.
    s.x("xdotool", "windowsize", "--sync", w, 560, 390, check_rc=True)
    s.x("xdotool", "windowmove", "--sync", w, 180, 150, check_rc=True)
    frame = s.frame_geometry(w)
    client = s.client_geometry(w)
    s.log("moved to frame %s, client %s" % (frame, client))
    check(client[2:] == (560, 390), "the window manager did not resize the window: %s" % (client,))
    s.painted_screenshot("root", "changed_before_the_end", min_colours=16)

    p.send(signal.SIGTERM)  # as at the end of the session
    p.expect_exit(0, timeout=10)
    check(s.ini_value("Tasklist", "Style") == "0", "Style %r after the end" % s.ini_value("Tasklist", "Style"))
    check(s.ini_value("Tasklist", "TaskFilter") == "0",
          "TaskFilter %r after the end" % s.ini_value("Tasklist", "TaskFilter"))
    stored = tuple(int(s.ini_value("TaskList", k, "-1")) for k in ("Left", "Top", "Width", "Height"))
    check(stored == client, "stored place %s, the window's client area was %s" % (stored, client))
    check(s.ini_value("Tasklist", "FirstRun") == "0", "FirstRun changed at the end")

    again = s.start("again")
    _started(s, again)
    w = _open_reminders(s, again)
    restored = s.frame_geometry(w)
    s.painted_screenshot("root", "reopened_after_restart", min_colours=16)
    check(restored == frame, "the window reopened at %s, it was left at %s" % (restored, frame))

    # Ended from the window's own File menu: its last item closes the program.
    s.focus(w)
    s.press("F7")  # Completed -> Today
    s.x("xdotool", "mousemove", "--window", w, 20, 8, "click", "1", check_rc=True)  # the File menu
    s.wait_popup(again, w)
    s.press("Up", "Return")
    again.expect_exit(0, timeout=10)
    check(s.ini_value("Tasklist", "TaskFilter") == "1",
          "TaskFilter %r after Close from the File menu" % s.ini_value("Tasklist", "TaskFilter"))
