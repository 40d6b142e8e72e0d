"""A reminder that fell due while the program was not running pops up as a
shaped note after the start; Dismiss moves a daily reminder to tomorrow and
completes a one-time one, and the store keeps it: written soon after the
dismissal, and again at the end."""

import datetime
import os
import signal
import struct
import time

from harness import check

SPLASH = "Brivane splash"
START_TIMEOUT = 15
SAVE_TIMEOUT = 10  # the program writes within two seconds of a change
ELEMENT = 1896
RECORD = 1888
ONE_MS = 1.0 / 86400000

# Record offsets (the record layout's compile-time checks name them).
TASKKIND, REPEAT_TASK, REPEAT_RULE = 0, 2, 5
REPEAT_N, HAS_RUN = 12, 16
EVENT, SCHEDULED, LAST_RUN, CREATED = 24, 32, 40, 48
TITLE, NOTES1 = 56, 107
POPUP_NOTE = 609
ENABLED, VISIBLE, IN_SERVICE, DELIVERED = 1850, 1852, 1853, 1854
NEW_SCHEDULE, NOTE_VISIBLE, ACTION_COUNT = 1855, 1856, 1860
ALARM, RULE_DAYS = 5, 2

# The note's picture and where its Dismiss button sits in it.
NOTE_SIZE = (367, 243)
DISMISS_X, DISMISS_FROM_BOTTOM = 229, 20
# Top-left corner of the note's links ("Change schedule", then "Delete").
LINKS_X, LINKS_Y = 16, 208


def _days(moment):
    """Local date-time as the program counts it: days since 30 December 1899."""
    return (moment - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0


def _text(r, offset, text):
    data = text.encode("cp1252")
    r[offset] = len(data)
    r[offset + 1:offset + 1 + len(data)] = data


def _alarm(title, due, daily):
    r = bytearray(RECORD)
    r[TASKKIND] = ALARM
    if daily:
        r[REPEAT_TASK] = 1
        r[REPEAT_RULE] = RULE_DAYS
        struct.pack_into("<i", r, REPEAT_N, 1)
    struct.pack_into("<d", r, EVENT, due)
    struct.pack_into("<d", r, SCHEDULED, due)
    struct.pack_into("<d", r, LAST_RUN, due - 1)
    struct.pack_into("<d", r, CREATED, due - 2)
    _text(r, TITLE, title)
    _text(r, NOTES1, "Fill the watering can first.")
    r[POPUP_NOTE] = 1
    r[ENABLED] = 1
    r[VISIBLE] = 1
    return bytes(r)


def _write_store(s, record):
    folder = os.path.join(s.documents, "Brivane")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "Brivane.dat")
    with open(path, "wb") as f:
        f.write(bytes([0x1A, 10]) + bytes(6) + record)
    return path


def _saved_record(path, title):
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) % ELEMENT == 0, "store of %d bytes is no whole number of elements" % len(data))
    wanted = title.encode("cp1252")
    for i in range(0, len(data), ELEMENT):
        r = data[i + 8:i + ELEMENT]
        if r[TITLE + 1:TITLE + 1 + r[TITLE]] == wanted:
            return r
    raise AssertionError("the saved store has no reminder titled %r" % title)


def _pixel_ok(px, low, high):
    return all(lo <= c <= hi for c, lo, hi in zip(px, low, high))


def _link_blue(px):
    r, g, b = px
    return b > r + 80 and b > g + 80


def _dismiss_while_running(s, title, daily):
    """Start with the reminder due a minute ago and dismiss its note; return (due, store path, process)."""
    due = _days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    path = _write_store(s, _alarm(title, due, daily))
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
    # "Change schedule" waits for the reminder editor: a disabled link must not
    # be drawn in the link colour that "Delete" shows.
    change = s.region_pixels(shot, LINKS_X, LINKS_Y, 90, 18)
    delete = s.region_pixels(shot, LINKS_X + 110, LINKS_Y, 34, 18)
    check(not any(_link_blue(px) for px in change), "the disabled \"Change schedule\" link looks active")
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
    return due, _saved_record(path, title)


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
        r = _saved_record(path, title)
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
