"""The command line: add and list with a running copy (the copy answers, its
list and store take the reminder) and without one (the store file is worked on
directly, no tray program starts), a usage error, and an `add --in 1m` whose
note pops up in the running copy."""

import datetime
import json
import os
import subprocess

from harness import check
from records import saved_titles, store_folder

START_TIMEOUT = 15
SAVE_TIMEOUT = 10  # a change reaches the disk within two seconds
REMINDERS = r"^Reminders  - "
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
KEYS = {"title", "kind", "next", "repeat", "notes", "enabled", "completed"}


def brivane(s, *args, timeout=40):
    """Run the program as a script would; (exit status, stdout, stderr)."""
    r = subprocess.run([s.exe] + list(args), cwd=s.home, env=s.env, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=timeout)
    out, err = r.stdout.decode("utf-8"), r.stderr.decode("utf-8")
    s.log("brivane %s -> %d\n%s%s" % (" ".join(args), r.returncode, out, err))
    return r.returncode, out, err


def tomorrow_at_nine():
    return (datetime.datetime.now() + datetime.timedelta(days=1)).replace(hour=9, minute=0, second=0,
                                                                          microsecond=0)


def add_and_list(s):
    """Adds a daily and a one-time reminder and checks what `list --json` gives back."""
    due = tomorrow_at_nine()
    rc, out, err = brivane(s, "add", "Zahnarzt – 歯医者", "--at", due.strftime("%Y-%m-%d %H:%M"), "--every", "1",
                           "day", "--note", "Karte mitnehmen")
    check(rc == 0, "add failed (%d): %s" % (rc, err))
    check(out.strip(), "add printed no next run time")
    rc, _, err = brivane(s, "add", "Call back", "--in", "2h", "--silent")
    check(rc == 0, "the second add failed (%d): %s" % (rc, err))

    rc, out, err = brivane(s, "list", "--json")
    check(rc == 0, "list --json failed (%d): %s" % (rc, err))
    items = json.loads(out)
    check([i["title"] for i in items] == ["Call back", "Zahnarzt – 歯医者"],
          "not the two reminders sorted by next run: %r" % items)
    for i in items:
        check(set(i) == KEYS, "keys %r" % sorted(i))
    daily = items[1]
    offset = due.astimezone().utcoffset()
    expected = due.replace(tzinfo=datetime.timezone(offset)).isoformat()
    check(daily["next"] == expected, "next %r, expected %r" % (daily["next"], expected))
    check(daily["kind"] == "alarm" and daily["repeat"] == "Every 1 Day(s)",
          "kind/repeat %r/%r" % (daily["kind"], daily["repeat"]))
    check(daily["notes"] == "Karte mitnehmen", "notes %r" % daily["notes"])
    check(daily["enabled"] is True and daily["completed"] is False, "a new reminder is suspended or completed")
    check(items[0]["repeat"] is None, "a one-time reminder has the repeat %r" % items[0]["repeat"])
    # ISO 8601 with the offset, and about two hours away.
    later = datetime.datetime.fromisoformat(items[0]["next"])
    gap = later - datetime.datetime.now().astimezone()
    check(datetime.timedelta(minutes=110) < gap <= datetime.timedelta(hours=2), "--in 2h gave %s" % items[0]["next"])
    return "Zahnarzt – 歯医者"


def usage_errors(s):
    rc, out, err = brivane(s, "add", "No time given")
    check(rc == 2 and not out, "add without a time: exit %d, output %r" % (rc, out))
    check(len(err.strip().splitlines()) == 1 and "--at" in err, "not one line naming --at: %r" % err)
    rc, _, err = brivane(s, "list", "--soon")
    check(rc == 2 and "--soon" in err and len(err.strip().splitlines()) == 1, "bad option: %d %r" % (rc, err))


def test_command_line_with_a_running_copy(s):
    p = s.start()
    reminders = s.wait_window(REMINDERS, timeout=START_TIMEOUT, proc=p, exact=False)
    for splash in s.find_windows("^Brivane splash$"):
        s.wait_window_gone(splash, timeout=10)
    # The open Reminders window shows what the commands added.
    added = []
    s.wait_change(reminders, lambda: added.append(add_and_list(s)), "adding from the command line")
    title = added[0]
    s.screenshot(reminders, "reminders_after_add")
    usage_errors(s)
    check(p.running(), "the running copy ended")
    # The running copy's store on disk has them soon, without an end of the program.
    path = os.path.join(store_folder(s), "Brivane.dat")
    s.wait_until(lambda: os.path.exists(path) and title in saved_titles(path), "the store holding the new reminder",
                 timeout=SAVE_TIMEOUT, proc=p)
    # No copy of the program appeared for the commands: still one Reminders window, of the first copy.
    windows = s.find_windows(REMINDERS)
    check(len(windows) == 1 and s.window_pid(windows[0]) == p.pid, "the commands made windows: %r" % windows)


def test_command_line_without_a_running_copy(s):
    title = add_and_list(s)
    rc, _, err = brivane(s, "add", "One more", "--in", "10m")
    # One line for the user, and no lines of the program's log (a terminal
    # session may add Qt's own note about its runtime folder).
    said = [line for line in err.splitlines() if not line.startswith("QStandardPaths:")]
    check(rc == 0 and len(said) == 1 and "not running" in said[0],
          "add without a copy should say only that it is not running: %r" % err)
    usage_errors(s)
    check(not s.find_windows(".+"), "the commands opened windows")
    check(title in saved_titles(os.path.join(store_folder(s), "Brivane.dat")), "the store file lacks the reminder")
    # The lock was given back: the program starts and lists what was added.
    p = s.start()
    s.wait_window(REMINDERS, timeout=START_TIMEOUT, proc=p, exact=False)
    rc, out, _ = brivane(s, "list", "--json")
    check(rc == 0 and len(json.loads(out)) == 3, "the started copy does not list the three: %r" % out)


def test_add_in_a_minute_pops_up(s):
    check(os.path.exists(FAKETIME_LIB), "libfaketime is not installed (%s)" % FAKETIME_LIB)
    # The running copy's clock goes ten times as fast, so its minute passes
    # before the scheduler's next look; its timers keep real time.
    p = s.start(env={
        "LD_PRELOAD": FAKETIME_LIB,
        "FAKETIME": "+0 x10",
        "FAKETIME_DONT_FAKE_MONOTONIC": "1",
        "ASAN_OPTIONS": ":".join(o for o in (os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0") if o),
    })
    # Open once the copy listens for later starts.
    s.wait_window(REMINDERS, timeout=START_TIMEOUT, proc=p, exact=False)
    rc, out, err = brivane(s, "add", "Tea is ready", "--in", "1m", "--silent")
    check(rc == 0 and "not running" not in err, "add went past the running copy: %d %r" % (rc, err))
    note = s.wait_window("Tea is ready", timeout=90, proc=p)
    s.painted_screenshot(note, "tea_note", min_colours=16)


def test_open_starts_the_program_with_its_window(s):
    s.write_ini("[Tasklist]\nFirstRun=0\n")  # only the asked-for window opens
    # No copy runs: this start becomes the program and opens the wizard.
    p = s.start(args=["open", "add"])
    s.wait_window("Add Reminder wizard", timeout=START_TIMEOUT, proc=p)
    check(not s.find_windows(REMINDERS), "the Reminders window opened as well")
    # Now one runs: the next `open` is answered by it and ends at once.
    rc, out, err = brivane(s, "open", "reminders")
    check(rc == 0 and not out and not err, "open reminders: %d %r %r" % (rc, out, err))
    s.wait_until(lambda: s.find_windows(REMINDERS), "the Reminders window", proc=p)
    windows = s.find_windows(REMINDERS)
    check([s.window_pid(w) for w in windows] == [p.pid], "not one Reminders window of the first copy")

