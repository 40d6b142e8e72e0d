"""Nothing holds up the notes and the countdowns, under a real window manager:
while the Add Reminder wizard, the Preferences window or a question box is
open, a fired note still takes Dismiss and a "Run a program" countdown still
takes Cancel (and the program is not run). And no change to the list waits for
a later save: pastes, a suspension and a completion are in the store soon
after, and survive a kill."""

import datetime
import os
import signal
import struct
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
SAVE_TIMEOUT = 10  # the program writes within two seconds of a change
TASK_LIST = r"^Reminders  - "
# The note's picture and where its Dismiss button sits in it.
NOTE_SIZE = (367, 243)
DISMISS_X, DISMISS_FROM_BOTTOM = 229, 20
# Where the countdown's Cancel button sits in the action picture.
CANCEL_X, CANCEL_Y = 275 + 36, 88 + 12


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def _click(s, x, y):
    s.x("xdotool", "mousemove", "--sync", x, y, check_rc=True)
    s.x("xdotool", "click", "1", check_rc=True)


def _fire_behind(s, open_dialog, tray=False):
    """A note and a program countdown fall due while open_dialog(s, p) keeps a
    window of the program open; both must still take their clicks, and with
    tray the tray menu must still open the Reminders window."""
    s.start_window_manager()
    marker = os.path.join(s.root, "ran.txt")
    script = os.path.join(s.root, "touch marker.sh")
    with open(script, "w") as f:
        f.write('#!/bin/sh\ntouch "%s"\n' % marker)
    os.chmod(script, 0o755)
    # Due just after the start: the first pass finds nothing, the next (half a
    # minute on) fires both, by which time the dialog is open.
    due = records.days(datetime.datetime.now() + datetime.timedelta(seconds=8))
    tomorrow = records.days(datetime.datetime.now() + datetime.timedelta(days=1))
    path = records.write_store(s, [
        records.alarm("Stand up", due, daily=False),
        records.computer_task("Sync the notes", due, program=script),
        records.alarm("Keep me", tomorrow, daily=False)])
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\nTaskFilter=4\nSortBy=0\n")
    p = s.start()
    _started(s, p)
    dialog = open_dialog(s, p)
    s.painted_screenshot(dialog, "dialog_open", min_colours=8)

    note = s.wait_window("Stand up", timeout=60, proc=p)
    countdown = s.wait_window("Sync the notes", timeout=10, proc=p)
    check(s.find_windows("^%s$" % s.window_title(dialog)), "the dialog closed by itself")
    s.painted_screenshot(note, "fired_note", min_colours=16)
    s.screenshot("root", "fired_over_the_dialog")
    x, y, width, height = s.geometry(note)
    check((width, height) == NOTE_SIZE, "note is %dx%d" % (width, height))
    _click(s, x + DISMISS_X, y + height - DISMISS_FROM_BOTTOM)
    s.wait_window_gone(note, timeout=5)
    cx, cy, _, _ = s.geometry(countdown)
    _click(s, cx + CANCEL_X, cy + CANCEL_Y)
    # Cancelled, it closes after its "Action canceled"; not cancelled, it runs
    # the program first (which the store and the marker would tell).
    s.wait_window_gone(countdown, timeout=40)
    check(p.running(), "the program ended (exit %s)" % p.returncode)
    check(not os.path.exists(marker), "the cancelled program ran")
    check(s.find_windows("^%s$" % s.window_title(dialog)), "the dialog did not stay open")
    if tray:
        s.open_tray_menu(p)
        s.press("Down", "Down", "Return")  # Add a Reminder, (separator), Reminders...
        s.wait_window(TASK_LIST, timeout=10, proc=p, exact=False)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
    check(records.saved_record(path, "Stand up")[records.DELIVERED] == 1, "the dismissal was not kept")
    task = records.saved_record(path, "Sync the notes")
    check(struct.unpack_from("<i", task, records.HAS_RUN)[0] == 0, "the cancelled program was counted as run")


def _wizard(s, p):
    s.press("ctrl+shift+t")
    return s.wait_window("Add Reminder wizard", timeout=10, proc=p)


def _preferences(s, p):
    s.open_tray_menu(p)
    s.press("Down", "Down", "Down", "Return")  # Add a Reminder, Reminders..., Preferences...
    return s.wait_window("Preferences", timeout=10, proc=p)


def _question(s, p):
    s.press("ctrl+shift+l")
    w = s.wait_window(TASK_LIST, timeout=10, proc=p, exact=False)
    s.focus(w)
    s.press("End", "Delete")  # "Keep me", by title the last
    return s.wait_window("Brivane", timeout=10, proc=p)


def test_note_and_countdown_take_clicks_while_the_wizard_is_open(s):
    s.start_trayer()
    _fire_behind(s, _wizard, tray=True)


def test_note_and_countdown_take_clicks_while_the_preferences_are_open(s):
    s.start_trayer()
    _fire_behind(s, _preferences, tray=True)


def test_note_and_countdown_take_clicks_while_a_question_waits(s):
    _fire_behind(s, _question)


def _wait_stored(s, p, read, predicate, what):
    """Poll read() (a view of the store file) until predicate holds."""
    deadline = time.monotonic() + SAVE_TIMEOUT
    while not predicate(read()):
        check(p.running(), "the program ended (exit %s)" % p.returncode)
        check(time.monotonic() < deadline, "%s: not in the store within %d s" % (what, SAVE_TIMEOUT))
        time.sleep(0.1)


def test_pastes_suspensions_and_completions_survive_a_kill(s):
    s.start_window_manager()
    now = datetime.datetime.now()
    titles = ["Reminder %03d" % i for i in range(200)]
    path = records.write_store(s, [records.alarm(t, records.days(now + datetime.timedelta(days=1, minutes=i)), True)
                                   for i, t in enumerate(titles)])
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\nTaskFilter=4\nSortBy=0\nStyle=3\n")
    p = s.start()
    _started(s, p)
    s.press("ctrl+shift+l")
    w = s.wait_window(TASK_LIST, timeout=10, proc=p, exact=False)
    s.focus(w)
    s.press("ctrl+Home", "Down")  # Reminder 000
    s.press("ctrl+c")
    for _ in range(10):
        s.press("ctrl+v")
    _wait_stored(s, p, lambda: records.saved_titles(path), lambda ts: ts.count("Reminder 000") == 11, "ten pastes")

    s.press("ctrl+Home", "Down", "Down")  # Reminder 001
    s.press("ctrl+F3")  # Suspend
    _wait_stored(s, p, lambda: records.saved_records(path), lambda rs: rs["Reminder 001"][records.ENABLED] == 0,
                 "the suspension")

    s.press("Down", "Menu")  # Reminder 002's context menu
    menu = s.wait_popup(p, w)
    s.screenshot(menu, "context_menu")
    s.press("Up", "Up", "Up", "Up", "Return")  # from the end: Properties, Paste, Copy, Mark as Completed
    _wait_stored(s, p, lambda: records.saved_records(path), lambda rs: rs["Reminder 002"][records.DELIVERED] == 1,
                 "the completion")

    p.send(signal.SIGKILL)
    p.wait_exit(10)
    kept = records.saved_records(path)
    check(records.saved_titles(path).count("Reminder 000") == 11, "pastes lost at the kill")
    check(kept["Reminder 001"][records.ENABLED] == 0, "the suspension was lost at the kill")
    check(kept["Reminder 002"][records.DELIVERED] == 1, "the completion was lost at the kill")
