"""The reminder store of the real program: first start, the recovery dialogs
that end the program without touching the store, and the saves at the end."""

import datetime
import os
import signal
import struct
import time

from harness import check

SPLASH = "Brivane splash"
BOX = "Brivane"
START_TIMEOUT = 15
ELEMENT = 1896
RECORD = 1888

# Record offsets of the fields these tests look at.
TASKKIND, HASRUN, TAG, SCHEDULED, TITLE = 0, 16, 20, 32, 56
ENABLED, VISIBLE, IN_SERVICE, ACTION_COUNT = 1850, 1852, 1853, 1860


def _record(kind, title=b"", tag=0, scheduled=0.0, in_service=False, action_count=0, has_run=0):
    r = bytearray(RECORD)
    r[TASKKIND] = kind
    struct.pack_into("<i", r, HASRUN, has_run)
    struct.pack_into("<i", r, TAG, tag)
    struct.pack_into("<d", r, SCHEDULED, scheduled)
    r[TITLE] = len(title)
    r[TITLE + 1:TITLE + 1 + len(title)] = title
    r[ENABLED] = 1
    r[VISIBLE] = 1
    r[IN_SERVICE] = 1 if in_service else 0
    struct.pack_into("<i", r, ACTION_COUNT, action_count)
    return bytes(r)


def _element(record, version=10):
    return bytes([0x1A, version]) + bytes(6) + record


def _records(data):
    return [data[i + 8:i + ELEMENT] for i in range(0, len(data), ELEMENT)]


def _days_now():
    """Local now as the program counts it: days since 30 December 1899."""
    return (datetime.datetime.now() - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0


def _store_folder(s):
    return os.path.join(s.documents, "Brivane")


def _write_store(s, data):
    folder = _store_folder(s)
    os.makedirs(os.path.join(folder, "Backup"), exist_ok=True)
    path = os.path.join(folder, "Brivane.dat")
    with open(path, "wb") as f:
        f.write(data)
    return path


def _read(path):
    with open(path, "rb") as f:
        return f.read()


def _run_and_end(s, p):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    s.wait_window_gone(splash, timeout=10)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=5)


def test_store_first_start(s):
    p = s.start()
    # Nothing to restore on a first start: no question, straight to the splash.
    _run_and_end(s, p)

    folder = _store_folder(s)
    path = os.path.join(folder, "Brivane.dat")
    check(os.path.isfile(path), "no store %s after the first start" % path)
    data = _read(path)
    check(len(data) == ELEMENT, "first store has %d bytes, expected one element" % len(data))
    check(data[:8] == b"\x1a\x0a" + bytes(6), "element header %r" % data[:8])
    rec = _records(data)[0]
    check(rec[TASKKIND] == 3 and struct.unpack_from("<i", rec, TAG)[0] == -8,
          "the blank store does not hold the backup reminder")

    today = datetime.date.today()
    names = [("Brivane.dat." + d.strftime("%d-%m-%Y")) for d in (today, today - datetime.timedelta(days=1))]
    backups = os.listdir(os.path.join(folder, "Backup"))
    check(any(n in backups for n in names), "no dated copy %s in %r" % (names[0], backups))

    users2 = (s.read_ini() or {}).get("users2", {})
    check(list(users2.values()) == [folder + "/"], "[users2] is %r, expected the store folder" % users2)
    # A first start is no error: at level 1 nothing reaches a log.
    check(not os.path.exists(s.log_path), "log after a first start: %r" % (s.log_lines(),))


def test_store_loaded_and_saved_at_exit(s):
    s.set_log_level(3)
    future = 73051.0  # 1 Jan 2100
    path = _write_store(s,
                        _element(_record(5, b"busy", scheduled=future, in_service=True, action_count=3, has_run=4))
                        + _element(_record(3, b"\xcd", tag=-9, scheduled=future))
                        + _element(_record(3, b"\xcd", tag=-8, scheduled=40000.0)))
    p = s.start()
    started = _days_now()
    _run_and_end(s, p)

    recs = _records(_read(path))
    check(len(recs) == 2, "store holds %d records at exit, expected 2 (the notice left out)" % len(recs))
    # The start-up sort (by next run) may have changed their order.
    by_tag = {struct.unpack_from("<i", r, TAG)[0]: r for r in recs}
    check(sorted(by_tag) == [-8, 0], "records with tags %r, expected a reminder and the backup reminder" % sorted(by_tag))
    busy, backup = by_tag[0], by_tag[-8]
    check(busy[TITLE + 1:TITLE + 5] == b"busy" and struct.unpack_from("<i", busy, HASRUN)[0] == 4,
          "the reminder did not come back as it was")
    check(busy[IN_SERVICE] == 0 and struct.unpack_from("<i", busy, ACTION_COUNT)[0] == 0,
          "the run state of the last run was saved again")
    moved = struct.unpack_from("<d", backup, SCHEDULED)[0]
    check(abs(moved - (started + 1.0 / 24)) < 30.0 / 86400, "backup reminder due at %f, start %f" % (moved, started))

    lines = s.log_lines() or []
    saves = [line for line in lines if line.startswith("Info: Tasklist Saved at ")]
    check(len(saves) == 2, "the store was saved %d times, expected at the end request and at finalization" % len(saves))


def test_store_damaged_abort_leaves_it(s):
    path = _write_store(s, b"")
    p = s.start()
    box = s.wait_window(BOX, timeout=START_TIMEOUT, proc=p)
    s.painted_screenshot(box, "error03")
    s.key(box, "Escape")  # Abort
    p.expect_exit(0, timeout=5)

    check(os.path.isfile(path) and os.path.getsize(path) == 0, "the damaged store was changed")
    lines = s.log_lines() or []
    check("Error: Database exception: Read beyond end of file" in lines, "no read error logged: %r" % lines)
    check("Info: HaltApplication: INVALID_DB_FORMAT -> mrAbort" in lines, "no halt line in %r" % lines)
    check(not any(line.startswith("Info: Tasklist Saved at") for line in lines), "a save was logged")


def test_store_old_format_halts_untouched(s):
    s.set_log_level(3)
    data = _element(_record(5, b"old"), 9) + _element(_record(5, b"older"), 9)
    path = _write_store(s, data)
    before = os.stat(path).st_mtime_ns
    p = s.start()
    # No converter ships: "Error 02", then the program ends.
    box = s.wait_window(BOX, timeout=START_TIMEOUT, proc=p)
    s.painted_screenshot(box, "error02")
    s.key(box, "Return")
    p.expect_exit(0, timeout=5)

    check(_read(path) == data and os.stat(path).st_mtime_ns == before, "the old-format store was touched")
    lines = s.log_lines() or []
    expected = ["Info: Calling... DBConverter",
                "Error: Critical error: file " + os.path.join(s.prog_dir, "DBConverter") + " not found",
                "Info: HaltApplication: DatabaseNeedsUpgrade"]
    for line in expected:
        check(line in lines, "no %r in %r" % (line, lines))
    check(lines.index(expected[0]) < lines.index(expected[1]) < lines.index(expected[2]), "lines out of order")
