"""The Add Reminder wizard on a real X server: opened with its hot key, an
alarm made with the keyboard alone that pops up when due and is in the store
after the end, and a fired note's "Change schedule" that keeps the new time."""

import datetime
import signal
import struct
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WIZARD = "Add Reminder wizard"
# Where the note's "Change schedule" link sits in its picture.
LINKS_X, LINKS_Y = 16, 208


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def _type(s, text):
    s.x("xdotool", "type", "--delay", "30", text, check_rc=True)


def test_keyboard_alarm_from_the_wizard_pops_up_and_is_stored(s):
    s.set_log_level(3)
    store = records.store_folder(s) + "/Brivane.dat"  # made by the program
    p = s.start()
    _started(s, p)
    s.press("ctrl+shift+t")
    w = s.wait_window(WIZARD, timeout=10, proc=p)
    s.focus(w)
    s.painted_screenshot(w, "page_1_type", min_colours=8)
    s.press_and_wait_change(w, "Return")  # Next: Alarm is chosen
    s.painted_screenshot(w, "page_2_general", min_colours=8)
    s.press("ctrl+a")  # over "Untitled"
    _type(s, "Stretch your legs")
    s.press("Tab")
    _type(s, "Walk to the window and back.")
    s.press("shift+Tab", "Return")  # back to the title, where Return means Next
    w = s.wait_window(WIZARD + " - Stretch your legs", timeout=5, proc=p)
    s.painted_screenshot(w, "page_3_when", min_colours=8)
    # "or in" 1 "minute(s) from now": from the date field back to "On", then
    # the arrow key moves to "or in", which hands the keyboard to its count.
    s.press("shift+Tab", "Down")
    due = (datetime.datetime.now() + datetime.timedelta(minutes=1)).replace(second=0, microsecond=0)
    s.press_and_wait_change(w, "Return")  # Next
    s.painted_screenshot(w, "page_4_actions", min_colours=8)
    s.press("ctrl+s")
    s.wait_window_gone(w, timeout=5)

    # It pops up when due: no later than the pass after its minute began.
    note = s.wait_window("Stretch your legs", timeout=100, proc=p)
    shown = datetime.datetime.now()
    check(shown >= due - datetime.timedelta(seconds=1), "the note showed before its time (%s < %s)" % (shown, due))
    s.painted_screenshot(note, "note_of_the_new_alarm", min_colours=16)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
    r = records.saved_record(store, "Stretch your legs")
    check(r[records.TASKKIND] == records.ALARM, "kind %d" % r[records.TASKKIND])
    event = struct.unpack_from("<d", r, records.EVENT)[0]
    check(abs(event - records.days(due)) < records.ONE_MS * 10, "event %.8f, expected %.8f" % (event, records.days(due)))
    check(r[records.POPUP_NOTE] == 1 and r[records.ENABLED] == 1, "the alarm lost its note or was disabled")
    notes = records.decode(r[records.NOTES1 + 1:records.NOTES1 + 1 + r[records.NOTES1]])
    check(notes == "Walk to the window and back.", "notes %r" % notes)


# Waits up to a minute for the due time and then for the next 30-second pass.
test_keyboard_alarm_from_the_wizard_pops_up_and_is_stored.deadline = 150


def test_change_schedule_on_a_fired_note_keeps_the_new_time(s):
    title = "Call the plumber"
    due = records.days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    store = records.write_store(s, [records.alarm(title, due, False)])
    s.set_log_level(3)
    p = s.start()
    note = s.wait_window(title, timeout=START_TIMEOUT, proc=p)
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)
    x, y, _, _ = s.geometry(note)
    s.x("xdotool", "mousemove", "--sync", x + LINKS_X + 30, y + LINKS_Y + 8, check_rc=True)
    s.x("xdotool", "click", "1", check_rc=True)
    w = s.wait_window("Change schedule - " + title, timeout=10, proc=p)
    s.focus(w)
    s.painted_screenshot(w, "change_schedule", min_colours=8)
    # "or in" 2 "day(s) from today", with the keyboard.
    s.press("shift+Tab", "Down")
    s.press("ctrl+a")
    _type(s, "2")
    s.press("Tab")
    _type(s, "d")  # the unit list jumps to "day(s) from today"
    new = datetime.datetime.now().replace(second=0, microsecond=0)
    s.press("ctrl+s")
    s.wait_window_gone(w, timeout=5)
    s.wait_window_gone(note, timeout=5)
    deadline = time.monotonic() + 10
    while True:
        r = records.saved_record(store, title)
        event = struct.unpack_from("<d", r, records.EVENT)[0]
        # Two days on from the minute it was set in (the minute may have turned meanwhile).
        later = event - records.days(new)
        if 2 - 1.5 / 1440 < later < 2 + 1.5 / 1440:
            break
        check(time.monotonic() < deadline, "the store has event %.8f, expected two days after %.8f"
              % (event, records.days(new)))
        time.sleep(0.1)
    check(r[records.DELIVERED] == 0, "the rescheduled reminder was completed")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
