"""The running program hears a set clock from the kernel.

Setting the clock would change the host's, so the test reads what the kernel
shows of the program's timers instead: a timer on the real-time clock, armed
far ahead and cancelled when that clock is set.
"""

import os
import time

from harness import check

CLOCK_REALTIME = 0
TFD_TIMER_ABSTIME = 1
TFD_TIMER_CANCEL_ON_SET = 2


def _timerfds(pid):
    """The fdinfo fields of each timerfd the process holds."""
    found = []
    fd_dir = "/proc/%d/fd" % pid
    for fd in os.listdir(fd_dir):
        try:
            if os.readlink(os.path.join(fd_dir, fd)) != "anon_inode:[timerfd]":
                continue
            with open("/proc/%d/fdinfo/%s" % (pid, fd)) as f:
                found.append(dict((k.strip(), v.strip()) for k, v in
                                  (line.split(":", 1) for line in f if ":" in line)))
        except OSError:
            continue  # closed meanwhile
    return found


def _clock_watch(info):
    value = info.get("it_value", "(0, 0)").strip("()").split(",")
    return (int(info.get("clockid", -1)) == CLOCK_REALTIME
            and int(info.get("settime flags", "0"), 8) == TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET
            and int(value[0]) > 0)


def test_clock_watch_timer(s):
    s.set_log_level(3)
    p = s.start()
    splash = s.wait_window("Brivane splash", timeout=15, proc=p)
    s.wait_window_gone(splash, timeout=10)
    deadline = time.monotonic() + 10
    watches = []
    while not watches and time.monotonic() < deadline:
        watches = [t for t in _timerfds(p.pid) if _clock_watch(t)]
        if not watches:
            time.sleep(0.1)
    check(len(watches) == 1, "no single armed clock-change timer among the program's timers: %r" % (_timerfds(p.pid),))
    # Far ahead: at least a century away, and nothing expired or cancelled yet.
    remaining = int(watches[0]["it_value"].strip("()").split(",")[0])
    check(remaining > 100 * 365 * 86400, "the clock-change timer is due in %d s" % remaining)
    check(int(watches[0].get("ticks", "0")) == 0, "the clock-change timer has fired: %r" % (watches[0],))
    check(not any("Clock watch" in line for line in s.log_lines() or []),
          "the clock watch complained: %r" % ([l for l in s.log_lines() if "Clock watch" in l],))
