"""A reminder that fell due while the program was not running pops up as a
shaped note after the start; Dismiss moves a daily reminder to tomorrow and
completes a one-time one, and the store saved at the end keeps it."""

import datetime
import signal
import struct
import time

from harness import check
from records import (ACTION_COUNT, DELIVERED, EVENT, HAS_RUN, IN_SERVICE, NEW_SCHEDULE, NOTE_VISIBLE, ONE_MS,
                     SCHEDULED, alarm, days, saved_record, write_store)

SPLASH = "Brivane splash"
START_TIMEOUT = 15
SAVE_TIMEOUT = 10  # the program writes within two seconds of a change

# The note's picture and where its Dismiss button sits in it.
NOTE_SIZE = (367, 243)
DISMISS_X, DISMISS_FROM_BOTTOM = 229, 20
# Top-left corner of the note's links ("Change schedule", then "Delete").
LINKS_X, LINKS_Y = 16, 208


def _pixel_ok(px, low, high):
    return all(lo <= c <= hi for c, lo, hi in zip(px, low, high))


def _link_blue(px):
    r, g, b = px
    return b > r + 80 and b > g + 80


def _dismiss_while_running(s, title, daily):
    """Start with the reminder due a minute ago and dismiss its note; return (due, store path, process)."""
    due = days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    path = write_store(s, [alarm(title, due, daily)])
    s.write_ini("[Tasklist]\nFirstRun=0\n")  # the note alone on the screen
    p = s.start()

    note = s.wait_window(title, timeout=START_TIMEOUT, proc=p)
    x, y, width, height = s.geometry(note)
    check((width, height) == NOTE_SIZE, "note is %dx%d, expected %dx%d" % ((width, height) + NOTE_SIZE))
    check(s.is_borderless(note), "the note asks for a border")
    check(s.is_shaped(note), "the note has no outline taken from its picture")
    # The splash stays on top for its second and a half; click only once it is gone.
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)
    shot = s.painted_screenshot(note, "note_" + ("daily" if daily else "once"), min_colours=16)
    check(s.image_colours(shot) > 16, "the note shows no picture")
    # The yellow band at the top of the note picture, above the schedule line.
    band = s.region_pixels(shot, 60, 3, 20, 2)
    yellow = sum(1 for px in band if _pixel_ok(px, (235, 215, 100), (255, 255, 215)))
    check(yellow >= 30, "no yellow band at the top of the note: %r" % band[:4])
    # Both links are live: drawn in the link colour.
    change = s.region_pixels(shot, LINKS_X, LINKS_Y, 90, 18)
    delete = s.region_pixels(shot, LINKS_X + 110, LINKS_Y, 34, 18)
    check(any(_link_blue(px) for px in change), "the \"Change schedule\" link is not drawn as a link")
    check(any(_link_blue(px) for px in delete), "the \"Delete\" link is not drawn as a link")

    cx, cy = x + DISMISS_X, y + height - DISMISS_FROM_BOTTOM
    s.log("clicking Dismiss at (%d, %d)" % (cx, cy))
    s.x("xdotool", "mousemove", "--sync", cx, cy, check_rc=True)
    s.x("xdotool", "click", "1", check_rc=True)
    s.wait_window_gone(note, timeout=5)
    check(p.running(), "the program ended when the note was dismissed (exit %s)" % p.returncode)
    return due, path, p


def _fire_and_dismiss(s, title, daily):
    """Start with the reminder due a minute ago, dismiss its note, end; return (due, saved record)."""
    due, path, p = _dismiss_while_running(s, title, daily)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
    return due, saved_record(path, title)


def _check_served_and_closed(r):
    check(r[IN_SERVICE] == 0, "the reminder was saved as still in service")
    check(r[NOTE_VISIBLE] == 0, "the reminder was saved with its note still showing")
    check(struct.unpack_from("<i", r, ACTION_COUNT)[0] == 0, "the reminder was saved with open action windows")
    check(r[NEW_SCHEDULE] != 0, "the reminder was saved without its new schedule mark")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 1, "the run was not counted")


def test_popup_note_dismiss_daily(s):
    due, r = _fire_and_dismiss(s, "Water the plants", daily=True)
    event = struct.unpack_from("<d", r, EVENT)[0]
    scheduled = struct.unpack_from("<d", r, SCHEDULED)[0]
    check(abs(event - (due + 1)) < ONE_MS, "event moved to %.8f, expected a day after %.8f" % (event, due))
    check(abs(scheduled - event) < ONE_MS, "scheduled %.8f, expected the new event %.8f" % (scheduled, event))
    check(r[DELIVERED] == 0, "a daily reminder was marked delivered")
    _check_served_and_closed(r)


def test_popup_note_dismiss_once(s):
    due, r = _fire_and_dismiss(s, "Post the letter", daily=False)
    check(r[DELIVERED] == 1, "the one-time reminder was not marked delivered")
    scheduled = struct.unpack_from("<d", r, SCHEDULED)[0]
    check(abs(scheduled - due) < ONE_MS, "a one-time reminder was moved to %.8f from %.8f" % (scheduled, due))
    _check_served_and_closed(r)


def test_popup_note_dismiss_written_while_running(s):
    # The store is written a couple of seconds after the change, not at the
    # periodic save minutes later nor only at the end.
    title = "Call the plumber"
    due, path, p = _dismiss_while_running(s, title, daily=False)
    deadline = time.monotonic() + SAVE_TIMEOUT
    while True:
        r = saved_record(path, title)
        if r[DELIVERED] == 1:
            break
        check(p.running(), "the program ended before it wrote the dismissal (exit %s)" % p.returncode)
        check(time.monotonic() < deadline, "the dismissal was not in the store within %d s" % SAVE_TIMEOUT)
        time.sleep(0.1)
    s.log("dismissal found in the store")
    check(p.running(), "the dismissal was written only as the program ended (exit %s)" % p.returncode)
    _check_served_and_closed(r)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_popup_note_return_dismisses_and_escape_snoozes(s):
    # Two notes from the start: Return on the first dismisses it, Esc on the
    # second puts it off by the first snooze preset (5 minutes), so it comes back.
    due = days(datetime.datetime.now().replace(second=0, microsecond=0) - datetime.timedelta(minutes=1))
    path = write_store(s, [alarm("Feed the cat", due, False), alarm("Stretch", due, False)])
    s.write_ini("[Tasklist]\nFirstRun=0\n")
    p = s.start()
    first = s.wait_window("Feed the cat", timeout=START_TIMEOUT, proc=p)
    second = s.wait_window("Stretch", timeout=START_TIMEOUT, proc=p)
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)

    s.focus(first)
    s.press("Return")
    s.wait_window_gone(first, timeout=5)
    check(s.is_viewable(second), "Return on one note closed the other too")
    s.focus(second)
    s.press("Escape")
    s.wait_window_gone(second, timeout=5)

    deadline = time.monotonic() + SAVE_TIMEOUT
    while True:
        fed, stretch = saved_record(path, "Feed the cat"), saved_record(path, "Stretch")
        if fed[DELIVERED] == 1 and struct.unpack_from("<d", stretch, SCHEDULED)[0] > due + ONE_MS:
            break
        check(p.running(), "the program ended (exit %s)" % p.returncode)
        check(time.monotonic() < deadline, "Return and Esc did not reach the store within %d s" % SAVE_TIMEOUT)
        time.sleep(0.1)
    check(stretch[DELIVERED] == 0, "Esc finished the reminder instead of putting it off")
    snoozed = struct.unpack_from("<d", stretch, SCHEDULED)[0]
    step = 5.0 / 1440
    check(abs((snoozed - due) / step - round((snoozed - due) / step)) < 0.001 and snoozed - due < 30 * step,
          "Esc put the reminder to %.8f, not on its 5-minute snooze grid after %.8f" % (snoozed, due))
    _check_served_and_closed(stretch)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
