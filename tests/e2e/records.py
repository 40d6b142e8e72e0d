"""The reminder store as the end-to-end tests write and read it: records of the
program's fixed layout, the store file in the session's documents folder, and
the date-time count the program uses."""

import datetime
import os
import struct

from harness import check

ELEMENT = 1896
RECORD = 1888
HEADER = bytes([0x1A, 10]) + bytes(6)
ONE_MS = 1.0 / 86400000

# Record offsets (the record layout's compile-time checks name them).
TASKKIND, REPEAT_TASK, REPEAT_RULE = 0, 2, 5
REPEAT_N, HAS_RUN = 12, 16
EVENT, SCHEDULED, LAST_RUN, CREATED = 24, 32, 40, 48
TITLE, NOTES1 = 56, 107
NOTES2 = 358
POPUP_NOTE, SEND_EMAIL, RUN_PROGRAM, SHUTDOWN_COMPUTER = 609, 611, 612, 613
EMAIL_TO, EMAIL_CC, EMAIL_BCC = 666, 767, 868
PROGRAM_PATHNAME, PROGRAM_PARAMETERS, SHUTDOWN_TYPE = 1328, 1730, 1841
ENABLED, VISIBLE, IN_SERVICE, DELIVERED = 1850, 1852, 1853, 1854
NEW_SCHEDULE, NOTE_VISIBLE, ACTION_COUNT = 1855, 1856, 1860
ALARM, RULE_DAYS = 5, 2
COMPUTER_TASK = 0


def days(moment):
    """Local date-time as the program counts it: days since 30 December 1899."""
    return (moment - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0


def days_ago(minutes):
    return days(datetime.datetime.now() - datetime.timedelta(minutes=minutes))


def decode(data):
    """A stored text as the program reads it: UTF-8 when valid, else Windows-1252 (older files)."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", "replace")


def text(r, offset, value):
    """A short string field: its length byte, then its Windows-1252 bytes."""
    data = value.encode("cp1252")
    r[offset] = len(data)
    r[offset + 1:offset + 1 + len(data)] = data


def alarm(title, due, daily):
    """A popup-note alarm due at `due` (program days), daily or one-time."""
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
    text(r, TITLE, title)
    text(r, NOTES1, "Fill the watering can first.")
    r[POPUP_NOTE] = 1
    r[ENABLED] = 1
    r[VISIBLE] = 1
    return bytes(r)


def computer_task(title, due, program=None, parameters="", shutdown_type=None):
    """A one-time computer task due at `due` that runs a program or ends the session."""
    r = bytearray(alarm(title, due, daily=False))
    r[TASKKIND] = COMPUTER_TASK
    r[POPUP_NOTE] = 0
    text(r, NOTES1, "")
    if program is not None:
        r[RUN_PROGRAM] = 1
        text(r, PROGRAM_PATHNAME, program)
        text(r, PROGRAM_PARAMETERS, parameters)
    if shutdown_type is not None:
        r[SHUTDOWN_COMPUTER] = 1
        r[SHUTDOWN_TYPE] = shutdown_type
    return bytes(r)


def mail_alarm(title, due, to="", cc="", bcc="", notes1="", notes2=""):
    """A one-time alarm due at `due` that only sends an e-mail."""
    r = bytearray(alarm(title, due, daily=False))
    r[POPUP_NOTE] = 0
    r[SEND_EMAIL] = 1
    text(r, NOTES1, notes1)
    text(r, NOTES2, notes2)
    text(r, EMAIL_TO, to)
    text(r, EMAIL_CC, cc)
    text(r, EMAIL_BCC, bcc)
    return bytes(r)


def store_folder(s):
    return os.path.join(s.documents, "Brivane")


def write_store(s, records):
    """Write the store of the session's program from whole records; return its path."""
    folder = store_folder(s)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "Brivane.dat")
    with open(path, "wb") as f:
        f.write(b"".join(HEADER + r for r in records))
    return path


def saved_records(path):
    """{title: record} of a store file."""
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) % ELEMENT == 0, "store of %d bytes is no whole number of elements" % len(data))
    found = {}
    for i in range(0, len(data), ELEMENT):
        r = data[i + 8:i + ELEMENT]
        found[decode(r[TITLE + 1:TITLE + 1 + r[TITLE]])] = r
    return found


def saved_titles(path):
    """The titles of a store file in stored order, repeats included."""
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) % ELEMENT == 0, "store of %d bytes is no whole number of elements" % len(data))
    return [decode(data[i + 8 + TITLE + 1:i + 8 + TITLE + 1 + data[i + 8 + TITLE]])
            for i in range(0, len(data), ELEMENT)]


def saved_record(path, title):
    found = saved_records(path)
    check(title in found, "the saved store has no reminder titled %r (has %r)" % (title, sorted(found)))
    return found[title]


def field(r, fmt, offset):
    return struct.unpack_from(fmt, r, offset)[0]
