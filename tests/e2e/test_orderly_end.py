"""Ends asked for from outside the program: SIGTERM, SIGHUP, SIGINT and SIGQUIT,
while popup notes and a snooze menu are open, while a start-up question waits
for its answer, and after a change made in a note. Every path ends with exit
code 0 and keeps what the session did.

The desktop session manager's request to save cannot be sent from here (it
needs a session manager speaking XSMP); the hidden window's handling of it is
covered by the unit tests with the fake session-end source."""

import datetime
import os
import signal

from harness import check
from records import (HAS_RUN, IN_SERVICE, LAST_RUN, NOTE_VISIBLE, SCHEDULED, alarm, days, days_ago, field,
                     saved_record, saved_records, store_folder, write_store)

SPLASH = "Brivane splash"
BOX = "Brivane"
START_TIMEOUT = 15
END_TIMEOUT = 15
# Centre of a plain note's Snooze button: right of Dismiss, on the same line.
SNOOZE_X, SNOOZE_FROM_BOTTOM = 311, 20
NOTES = ["Note %d" % i for i in range(1, 6)]


def _start_with_due_notes(s, titles):
    """Start on a store whose reminders all fell due a minute ago; wait for their notes and the splash to go."""
    s.make_desktop()  # level 3 copies the log there at every orderly end
    s.set_log_level(3)
    due = days_ago(1)
    path = write_store(s, [alarm(t, due, daily=False) for t in titles])
    p = s.start()
    notes = {t: s.wait_window(t, timeout=START_TIMEOUT, proc=p) for t in titles}
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)
    return p, path, due, notes


def _open_snooze_menu(s, p, note):
    # Notes cascade over each other: raise this one so that the click reaches it.
    s.x("xdotool", "windowraise", note, check_rc=True)
    x, y, _, height = s.geometry(note)
    s.x("xdotool", "mousemove", "--sync", x + SNOOZE_X, y + height - SNOOZE_FROM_BOTTOM, check_rc=True)
    s.x("xdotool", "click", "1", check_rc=True)
    return s.wait_popup(p, note)


def _check_ended_in_order(s, p, sig):
    """Exit code 0, the signal and the orderly end logged, the finalization last."""
    rc = p.wait_exit(END_TIMEOUT)
    out = p.output()
    check("ERROR: AddressSanitizer" not in out and "runtime error:" not in out,
          "the sanitizers reported a fault:\n%s" % out[-4000:])
    check(rc == 0, "%s exited with %s, expected 0" % (p.name, rc))
    lines = s.log_lines() or []
    name = signal.Signals(sig).name
    received = "Info: End requested by " + name
    check(received in lines, "no %r line in %r" % (received, lines))
    terminate = [i for i, line in enumerate(lines) if line.startswith("Info: TerminateApplication: ")]
    check(terminate and lines.index(received) < terminate[0],
          "no TerminateApplication line after the signal in %r" % lines)
    check(lines and lines[-1].startswith("Info:*** Terminated at "),
          "the log does not end with the finalization: %r" % lines[-5:])
    return lines


def _ends_with_notes_and_menu_open(s, sig):
    p, path, due, notes = _start_with_due_notes(s, NOTES)
    _open_snooze_menu(s, p, notes[NOTES[-1]])
    s.screenshot("root", "notes_and_menu")
    p.send(sig)
    _check_ended_in_order(s, p, sig)

    # The notes' firing is kept: the end saved the list as the session left it.
    saved = saved_records(path)
    for title in NOTES:
        check(title in saved, "the saved store lost %r (has %r)" % (title, sorted(saved)))
        r = saved[title]
        check(field(r, "<i", HAS_RUN) == 1, "%s: the run was not saved" % title)
        check(field(r, "<d", LAST_RUN) > due, "%s: the time of the run was not saved" % title)


# Which signal asks for the end makes no difference past the session-end
# source (its unit tests map each one); each scenario takes a different one, so
# that every signal still reaches the real program.
def test_sighup_with_notes_and_menu_open(s):
    _ends_with_notes_and_menu_open(s, signal.SIGHUP)


def _snooze_then_end(s, sig):
    title = "Call the plumber"
    p, path, due, notes = _start_with_due_notes(s, [title])
    menu = _open_snooze_menu(s, p, notes[title])
    snoozed_at = days(datetime.datetime.now())
    # The menu holds the keyboard: the first entry is the shortest preset.
    s.x("xdotool", "key", "Down", "Return", check_rc=True)
    s.wait_window_gone(notes[title], timeout=5)
    check(not s.is_viewable(menu), "the snooze menu stayed open")
    p.send(sig)
    _check_ended_in_order(s, p, sig)

    r = saved_record(path, title)
    scheduled = field(r, "<d", SCHEDULED)
    check(scheduled > snoozed_at, "the snooze was not saved: scheduled %.8f, snoozed at %.8f" % (scheduled, snoozed_at))
    check(r[NOTE_VISIBLE] == 0 and r[IN_SERVICE] == 0, "the closed note was saved as still showing")


def test_sigquit_keeps_a_snooze(s):
    _snooze_then_end(s, signal.SIGQUIT)


def _signal_at_restore_question(s, sig):
    """The store is missing but its rescue copy is there: the start asks whether to restore it."""
    s.make_desktop()
    s.set_log_level(3)
    folder = store_folder(s)
    backup = os.path.join(folder, "Backup")
    os.makedirs(backup)
    rescue = os.path.join(backup, "Brivane-001.dat")
    write_store(s, [alarm("Kept in the rescue copy", days_ago(60), daily=True)])
    os.rename(os.path.join(folder, "Brivane.dat"), rescue)
    with open(rescue, "rb") as f:
        rescue_data = f.read()

    p = s.start()
    box = s.wait_window(BOX, timeout=START_TIMEOUT, proc=p)
    s.screenshot(box, "restore_question")
    p.send(sig)
    lines = _check_ended_in_order(s, p, sig)

    unanswered = "Info: Store question left unanswered: the program is ending."
    check(unanswered in lines, "no %r line in %r" % (unanswered, lines))
    # Neither answer was taken: no blank store, no copy moved aside, no dated copy.
    check(not os.path.exists(os.path.join(folder, "Brivane.dat")), "a store was written")
    check(sorted(os.listdir(backup)) == ["Brivane-001.dat"], "the backup folder changed: %r" % os.listdir(backup))
    with open(rescue, "rb") as f:
        check(f.read() == rescue_data, "the rescue copy changed")
    check(not any(line.startswith("Info: Tasklist Saved at") for line in lines), "a save was logged")
    check("Info: Initialize hiddenfrm" not in lines, "the start went on past the store")


def test_sigint_at_restore_question(s):
    _signal_at_restore_question(s, signal.SIGINT)
