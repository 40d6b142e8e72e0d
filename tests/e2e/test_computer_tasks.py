"""Computer tasks on the real program: a started program gets its parameters
as arguments without a shell; a bare program name is found on PATH; a missing file is reported and the task is
cancelled; the shutdown window asks a fake login manager on a private system
bus (never the machine's own) for the right action, and Cancel asks nothing;
a wake-up announced by the login manager fires what fell due at once."""

import datetime
import os
import struct
import time

from harness import check
from records import (DELIVERED, HAS_RUN, alarm, computer_task, days, days_ago, saved_record, write_store)
from system_bus import FakeLoginManager

START_TIMEOUT = 15
# The action picture's size and where its Cancel button sits in it.
ACTION_SIZE = (395, 124)
CANCEL_X, CANCEL_Y = 275 + 36, 88 + 12


def _start(s, records, env=None, **prefs):
    """Write the store and the settings, start the program; return (store path, process)."""
    path = write_store(s, records)
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\n")
    settings = {"NeverShowSplash": 1}
    settings.update(prefs)
    s.write_prefs(**settings)
    return path, s.start(env=env)


def _saved(s, p, path, title):
    p.send(15)  # SIGTERM: the orderly end writes the store
    p.expect_exit(0, timeout=10)
    return saved_record(path, title)


def test_run_program_parameters_arrive_verbatim(s):
    marker = os.path.join(s.root, "marker.txt")
    script = os.path.join(s.root, "write args.sh")
    with open(script, "w") as f:
        f.write('#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done > "%s.tmp"\nmv "%s.tmp" "%s"\n'
                % (marker, marker, marker))
    os.chmod(script, 0o755)
    parameters = 'first "two words" a;b $(touch pwned) \'single\' `id`'
    # Missed while the program was off, one-time, shown anyway: counts down from 1.
    path, p = _start(s, [computer_task("Sync", days_ago(1), program=script, parameters=parameters)],
                     MissedTasksTreatment=1)
    deadline = time.monotonic() + START_TIMEOUT
    while not os.path.exists(marker):
        check(p.running(), "the program ended (exit %s)" % p.returncode)
        check(time.monotonic() < deadline, "the program was not started")
        time.sleep(0.05)
    with open(marker) as f:
        args = f.read().split("\n")[:-1]
    check(args == ["first", "two words", "a;b", "$(touch", "pwned)", "'single'", "`id`"],
          "the program got %r" % args)
    check(not os.path.exists(os.path.join(s.root, "pwned")), "a parameter was run by a shell")
    r = _saved(s, p, path, "Sync")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 1, "the run was not counted")
    check(r[DELIVERED] == 1, "the one-time task was not completed")


def test_run_program_bare_name_is_found_on_path(s):
    # As a user types "xmessage": no folder, the program is looked up on PATH.
    tools = os.path.join(s.root, "tools")
    os.mkdir(tools)
    marker = os.path.join(s.root, "marker.txt")
    script = os.path.join(tools, "brivane-e2e-tool")
    with open(script, "w") as f:
        f.write('#!/bin/sh\n{ for a in "$@"; do printf "%%s\\n" "$a"; done; pwd; } > "%s.tmp"\n/bin/mv "%s.tmp" "%s"\n'
                % (marker, marker, marker))
    os.chmod(script, 0o755)
    path, p = _start(s, [computer_task("Hello", days_ago(1), program="brivane-e2e-tool", parameters="-center hi")],
                     env={"PATH": tools + os.pathsep + s.env["PATH"]}, MissedTasksTreatment=1)
    deadline = time.monotonic() + START_TIMEOUT
    while not os.path.exists(marker):
        check(p.running(), "the program ended (exit %s)" % p.returncode)
        check(not any("could not be opened" in line for line in s.log_lines() or []),
              "the program on PATH was not found: %r" % s.log_lines())
        check(time.monotonic() < deadline, "the program on PATH was not started")
        time.sleep(0.05)
    with open(marker) as f:
        lines = f.read().split("\n")[:-1]
    check(lines == ["-center", "hi", s.home], "the program got %r" % lines)
    r = _saved(s, p, path, "Hello")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 1, "the run was not counted")


def test_run_program_missing_file_cancels(s):
    missing = os.path.join(s.root, "no-such-program")
    path, p = _start(s, [computer_task("Ghost", days_ago(1), program=missing)], MissedTasksTreatment=1)
    w = s.wait_window("Ghost", timeout=START_TIMEOUT, proc=p)
    check(s.geometry(w)[2:] == ACTION_SIZE, "the window is %r, not the action picture's size" % (s.geometry(w),))
    check(s.is_shaped(w), "the window has no outline taken from its picture")
    s.painted_screenshot(w, "run_program_countdown", min_colours=16)
    s.wait_log_line(lambda l: "could not be opened (2)" in l, timeout=10, proc=p)
    s.painted_screenshot(w, "file_not_found", min_colours=16)
    # "File not found!" for 3.5 s, then "Action canceled" for 3.5 s.
    gone = s.wait_window_gone(w, timeout=12)
    check(p.running(), "the program ended (exit %s)" % p.returncode)
    s.log("window closed %.1f s after the failure" % (gone - s.t0))
    r = _saved(s, p, path, "Ghost")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 0, "a failed start was counted as a run")
    check(r[DELIVERED] == 1, "the cancelled one-time task was not completed")


def test_shutdown_asks_the_login_manager_for_each_kind(s):
    logind = FakeLoginManager(s)
    tasks = [computer_task("Power off", days_ago(1), shutdown_type=0),
             computer_task("Restart", days_ago(1), shutdown_type=1),
             computer_task("Log off", days_ago(1), shutdown_type=2)]
    env = logind.env()
    env["XDG_SESSION_ID"] = "c7"
    # Shown as missed reminders: each counts down from 3.
    path, p = _start(s, tasks, env=env, MissedTasksTreatment=1)
    s.wait_window("Power off", timeout=START_TIMEOUT, proc=p)
    calls = logind.wait_calls(3, timeout=10)
    check(sorted(calls) == ["PowerOff False", "Reboot False", "TerminateSession c7"],
          "the login manager was asked %r" % calls)
    # Each action window closes once its request is made: no call can follow.
    for title in ("Power off", "Restart", "Log off"):
        for w in s.find_windows("^%s$" % title, pid=p.pid):
            s.wait_window_gone(w, timeout=15)
    check(len(logind.calls()) == 3, "more calls than actions: %r" % logind.calls())
    check(p.running(), "the program ended (exit %s)" % p.returncode)
    p.send(15)
    p.expect_exit(0, timeout=10)
    for title in ("Power off", "Restart", "Log off"):
        r = saved_record(path, title)
        check(struct.unpack_from("<i", r, HAS_RUN)[0] == 1, "%s was not counted" % title)
        check(r[DELIVERED] == 1, "%s was not completed" % title)


def test_shutdown_cancel_asks_nothing(s):
    logind = FakeLoginManager(s)
    # Fired by the first pass: the preference's 50 seconds.
    path, p = _start(s, [computer_task("Night", days_ago(1), shutdown_type=0)], env=logind.env())
    w = s.wait_window("Night", timeout=START_TIMEOUT, proc=p)
    x, y, _, _ = s.geometry(w)
    s.painted_screenshot(w, "shutdown_50", min_colours=16)
    s.wait_change(w, lambda: None, "the countdown going on", min_pixels=10)
    s.x("xdotool", "mousemove", "--sync", x + CANCEL_X, y + CANCEL_Y, check_rc=True)
    s.wait_change(w, lambda: s.x("xdotool", "click", "1", check_rc=True), "the cancel showing")
    s.painted_screenshot(w, "shutdown_canceled", min_colours=16)
    s.wait_window_gone(w, timeout=8)
    check(logind.calls() == [], "a cancelled shutdown asked %r" % logind.calls())
    r = _saved(s, p, path, "Night")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 0, "a cancelled shutdown was counted")
    check(r[DELIVERED] == 1, "the cancelled one-time task was not completed")


def test_shutdown_without_login_manager_reports_and_runs_on(s):
    # No system bus at all (the harness's dead address).
    path, p = _start(s, [computer_task("Halt", days_ago(1), shutdown_type=1)], MissedTasksTreatment=1)
    box = s.wait_window("Could not restart", timeout=START_TIMEOUT, proc=p)
    s.painted_screenshot(box, "exit_error", min_colours=4)
    s.key(box, "Return")
    s.wait_window_gone(box, timeout=5)
    check(p.running(), "the program ended (exit %s)" % p.returncode)
    r = _saved(s, p, path, "Halt")
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == 1, "the run was not recorded before the request")


def test_wake_up_fires_what_fell_due_at_once(s):
    logind = FakeLoginManager(s)
    due = days(datetime.datetime.now() + datetime.timedelta(seconds=4))
    path, p = _start(s, [alarm("Stretch", due, daily=False)], env=logind.env())
    s.wait_log_line(lambda l: "Initialize hiddenfrm" in l, timeout=START_TIMEOUT, proc=p)
    # Due now, but the first regular pass is half a minute away.
    s.wait_until(lambda: days(datetime.datetime.now()) > due + 2 / 86400.0, "the reminder falling due")
    check(not s.find_windows("^Stretch$"), "the note came before the wake-up")
    logind.sleep_and_wake()
    woke = time.monotonic()
    s.wait_window("Stretch", timeout=5, proc=p)
    took = time.monotonic() - woke
    s.log("note %.2f s after the wake-up" % took)
    check(took < 1.0, "the note came %.2f s after the wake-up" % took)
    s.wait_log_line(lambda l: "Scheduler: the computer woke up" in l, timeout=2, proc=p)
