#!/usr/bin/python3
"""How often the real program wakes while it has nothing to do.

    idle_wakeups.py --run-dir <built program folder> --shots <screenshot folder>
                    [--seconds 60] [--label NAME] [--no-tray]

Starts a portable copy of the program on a private Xvfb display with a
throw-away HOME (the end-to-end harness), with a notification area and no
reminder due, waits until its splash has gone and it has settled, and then
counts its voluntary context switches over the idle span: the sum of
voluntary_ctxt_switches over /proc/<pid>/task/*/status at the start and at the
end. A thread that blocks in poll() and is woken by a timer or a file
descriptor counts one switch per wake-up.

The result is printed and appended to <shots>/idle_wakeups/report.txt. It is a
measurement for people, not a test: nothing here passes or fails on a number.
Run it once on the build to compare and once on the current one.
"""

import argparse
import os
import sys
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import harness  # noqa: E402

SETTLE_SECONDS = 10


def thread_switches(pid):
    """{tid: (voluntary, involuntary)} of the living threads of pid."""
    result = {}
    task_dir = "/proc/%d/task" % pid
    for tid in os.listdir(task_dir):
        try:
            with open(os.path.join(task_dir, tid, "status")) as f:
                fields = dict(line.split(":", 1) for line in f if ":" in line)
        except OSError:
            continue  # the thread ended meanwhile
        result[int(tid)] = (int(fields["voluntary_ctxt_switches"]), int(fields["nonvoluntary_ctxt_switches"]))
    return result


def measure(s, seconds, tray):
    if tray:
        s.start_trayer()
    p = s.start()
    splash = s.wait_window("Brivane splash", timeout=20, proc=p)
    s.wait_window_gone(splash, timeout=15)
    time.sleep(SETTLE_SECONDS)
    harness.check(p.running(), "the program ended before the idle span (exit %s)" % p.returncode)
    before = thread_switches(p.pid)
    started = time.monotonic()
    time.sleep(seconds)
    after = thread_switches(p.pid)
    span = time.monotonic() - started
    harness.check(p.running(), "the program ended during the idle span (exit %s)" % p.returncode)
    # Threads that came or went during the span count from zero or are left out.
    voluntary = sum(after[t][0] - before.get(t, (0, 0))[0] for t in after)
    involuntary = sum(after[t][1] - before.get(t, (0, 0))[1] for t in after)
    per_thread = {t: after[t][0] - before.get(t, (0, 0))[0] for t in after}
    return span, voluntary, involuntary, per_thread


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--run-dir", required=True, help="the built program folder (executable, picture library)")
    ap.add_argument("--shots", required=True, help="the e2e screenshot folder; the report goes in idle_wakeups/")
    ap.add_argument("--seconds", type=int, default=60, help="length of the idle span")
    ap.add_argument("--label", default=None, help="name of this build in the report (default: the run folder)")
    ap.add_argument("--no-tray", action="store_true", help="no notification area on the display")
    args = ap.parse_args()

    label = args.label or os.path.abspath(args.run_dir)
    with harness.Session(args.run_dir, args.shots, "idle_wakeups", verbose=False) as s:
        span, voluntary, involuntary, per_thread = measure(s, args.seconds, not args.no_tray)
    line = ("%s: %d voluntary context switches in %.1f s idle (%.2f/s; %d involuntary; per thread %s)"
            % (label, voluntary, span, voluntary / span, involuntary,
               ", ".join("%d: %d" % (t, n) for t, n in sorted(per_thread.items()))))
    print(line)
    report_dir = os.path.join(os.path.abspath(args.shots), "idle_wakeups")
    os.makedirs(report_dir, exist_ok=True)
    with open(os.path.join(report_dir, "report.txt"), "a") as f:
        f.write(time.strftime("%Y-%m-%d %H:%M:%S ") + line + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
