"""Start-up, single instance and orderly end of the real program."""

import os
import stat
import signal
import shutil
import subprocess
import time

from harness import check

SPLASH = "Brivane splash"
BOX = "Brivane"
LIBRARY = "grresrep.rcc"
START_TIMEOUT = 15


def _wait_started(s, proc):
    """Wait for the splash and for it to go by itself; return the splash window."""
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)
    return splash


def test_first_start(s):
    check(not os.path.exists(s.ini_path), "the fresh copy already has an ini file")
    p = s.start()

    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    _, _, width, height = s.geometry(splash)
    check((width, height) == (250, 175), "splash is %dx%d, expected 250x175" % (width, height))
    check(s.is_borderless(splash), "splash window asks for a border")
    check(s.is_shaped(splash), "splash window has no outline shape")
    shot = s.painted_screenshot(splash, "splash", min_colours=8)
    colours = s.image_colours(shot)
    check(colours > 8, "splash screenshot has only %d colours: no picture shown" % colours)
    # The version label is white text at (168, 17): light strokes on the darker picture.
    label = s.region_pixels(shot, 168, 17, 80, 18)
    light = sum(1 for px in label if min(px) >= 200)
    check(light >= 10, "no white version text at (168, 17) of the splash (%d light pixels)" % light)

    # It goes by itself (its visibility time is checked by the unit tests).
    s.wait_window_gone(splash, timeout=10)
    check(p.running(), "program ended when its splash went away (exit %s)" % p.returncode)

    data = s.ini_bytes()
    check(data is not None, "no ini file %s beside the program" % s.ini_path)
    check(data.count(b"\n") == data.count(b"\r\n") and data.count(b"\r") == data.count(b"\r\n"),
          "ini line ends are not CR LF: %r" % data)
    check(s.ini_value("Debug", "Level") == "1", "ini [Debug] Level is %r, expected 1" % s.ini_value("Debug", "Level"))
    check(not os.path.exists(s.log_path), "a log file was created at level 1")

    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=5)
    # Level 1 logs only errors: a clean run leaves no log behind at all.
    check(not os.path.exists(s.log_path), "log file after a clean run at level 1: %r" % (s.log_lines(),))


def test_second_copy(s):
    s.make_desktop()  # level 3 copies the log there at every orderly end
    s.set_log_level(3)
    first = s.start("first")
    _wait_started(s, first)

    second = s.start("second")
    seen = {}
    deadline = time.monotonic() + START_TIMEOUT
    while second.running():
        seen.update(s.windows_of(second))
        check(time.monotonic() < deadline, "second copy still running after %d s" % START_TIMEOUT)
        time.sleep(0.02)
    rc = second.wait_exit(0)
    check(rc == 0, "second copy exited with %s, expected 0" % rc)
    check(not seen, "second copy showed windows: %s" % sorted(seen.values()))

    # Read the log now: the first copy rewrites it with its own lines when it logs again.
    lines = s.log_lines() or []
    check("Info: Brivane ALREADY running" in lines, "no 'Brivane ALREADY running' line in %r" % lines)
    halt = "Info: HaltApplication: GetLastError=ERROR_ALREADY_EXISTS"
    check(halt in lines, "no halt line in %r" % lines)
    check(lines.index("Info: Brivane ALREADY running") < lines.index(halt), "halt logged before the detection")

    check(first.running(), "first copy ended together with the second (exit %s)" % first.returncode)
    first.send(signal.SIGTERM)
    first.expect_exit(0, timeout=5)


def _ends_in_order(s, sig, reason):
    s.make_desktop()
    s.set_log_level(3)
    p = s.start()
    _wait_started(s, p)
    p.send(sig)
    p.expect_exit(0, timeout=5)

    lines = s.log_lines()
    check(lines is not None, "no log file at level 3")
    check(len(lines) >= 2 and lines[0].startswith("Info:Log start: "), "log does not begin fresh: %r" % lines[:2])
    check(lines[1] == "Log path: " + s.log_path, "second log line is %r" % lines[1])
    check("Info: Initialize InitApp" in lines, "no 'Initialize InitApp' line")
    # The log names the user's files: it is the user's alone, and not in the shared temporary folder.
    check(stat.S_IMODE(os.stat(s.log_path).st_mode) == 0o600, "log mode %o" % os.stat(s.log_path).st_mode)
    log_folder = os.path.dirname(s.log_path)
    check(stat.S_IMODE(os.stat(log_folder).st_mode) == 0o700, "log folder mode %o" % os.stat(log_folder).st_mode)
    check(not os.path.exists(os.path.join(s.tmpdir, "Brivane.log")), "a log in the temporary folder")

    terminate = [i for i, line in enumerate(lines)
                 if line == "Info: TerminateApplication: " + reason]
    check(terminate, "no TerminateApplication line with reason %s in %r" % (reason, lines))
    check("Info: Finalize InitApp" in lines, "no 'Finalize InitApp' line in %r" % lines)
    finalize = lines.index("Info: Finalize InitApp")
    terminated = [i for i, line in enumerate(lines) if line.startswith("Info:*** Terminated at ")]
    check(terminated, "no 'Terminated at' line in %r" % lines)
    check(terminate[0] < finalize < terminated[-1],
          "end out of order: terminate %d, finalize %d, terminated %d" % (terminate[0], finalize, terminated[-1]))
    check(terminated[-1] == len(lines) - 1, "lines after 'Terminated at': %r" % lines[terminated[-1] + 1:])

    # At level 3 the orderly end leaves a copy of the log on the desktop.
    copy = os.path.join(s.desktop, os.path.basename(s.log_path))
    copied = "Info: Log copied to Desktop: " + copy
    check(copied in lines and terminate[0] < lines.index(copied) < finalize,
          "no %r between the terminate and finalize lines" % copied)
    check(os.path.isfile(copy), "no log copy %s" % copy)


def test_sigterm_ends_in_order(s):
    _ends_in_order(s, signal.SIGTERM, "SessionEnd")


def test_missing_picture_library(s):
    library = os.path.join(s.prog_dir, LIBRARY)
    check(os.path.isfile(library), "the run folder has no %s" % LIBRARY)
    os.unlink(library)
    s.make_desktop()
    # Without its library beside it the copy counts as installed: it reads its
    # ini from the config folder.
    s.set_log_level(3, s.config_ini_path)
    p = s.start()

    box = s.wait_window(BOX, timeout=START_TIMEOUT, proc=p)
    s.painted_screenshot(box, "error07")
    windows = s.windows_of(p)
    check(list(windows) == [box], "windows besides the error box: %s" % sorted(windows.values()))

    s.key(box, "Return")
    p.expect_exit(0, timeout=5)

    lines = s.log_lines() or []
    check("Info: TerminateApplication: Unable to link to resource DLL" in lines,
          "no TerminateApplication line for the missing library in %r" % lines)
    store_folder = os.path.join(s.documents, "Brivane")
    check(not os.path.exists(os.path.join(store_folder, "Brivane.dat")), "a store file was written")
    check(not os.path.exists(store_folder), "the store folder was created")


FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


def test_restart_in_the_repeated_hour(s):
    # Berlin, 27 Oct 2024: summer time ends at 03:00 (01:00 UTC) and 02:00..03:00 comes twice.
    # Last closed at 02:50 summer time; started again at 02:10 winter time, 20 minutes later.
    check(os.path.exists(FAKETIME_LIB), "libfaketime is not installed (%s)" % FAKETIME_LIB)
    s.write_prefs(LastRun="2024-10-27T02:50:00")
    p = s.start(env={
        "TZ": "Europe/Berlin",
        "LD_PRELOAD": FAKETIME_LIB,
        "FAKETIME_FMT": "%s",  # seconds since 1970: no local time to read two ways
        "FAKETIME": "@1729991400",  # 2024-10-27 01:10:00 UTC = 02:10 winter time
        "FAKETIME_DONT_FAKE_MONOTONIC": "1",
        # In a sanitizer build the preloaded library comes before the sanitizer's own.
        "ASAN_OPTIONS": ":".join(o for o in (os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0") if o),
    })
    # A new user meets the Reminders window only once the clock check has let the start go on.
    s.wait_window(r"^Reminders  - ", timeout=START_TIMEOUT, proc=p, exact=False)
    titles = sorted(s.windows_of(p).values())
    check(BOX not in titles, "a box came up at the start: %s" % titles)
    check(p.running(), "the program ended (exit %s)" % p.returncode)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=5)


def _log_trouble_told_once(s, p):
    """Start-up finishes although no log line can be written; one notice says so and the program goes on."""
    _wait_started(s, p)
    notice = s.wait_window(BOX, timeout=10, proc=p)
    s.painted_screenshot(notice, "log-notice")
    check(len(s.find_windows("^%s$" % BOX, pid=p.pid)) == 1, "more than one notice about the log")
    s.key(notice, "Return")
    s.wait_window_gone(notice, timeout=5)
    check(p.running(), "program ended after the notice (exit %s)" % p.returncode)
    check(not s.find_windows("^%s$" % BOX, pid=p.pid), "another notice came after the first")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=5)


def test_full_log_folder_is_told_once(s):
    s.set_log_level(3)
    folder = os.path.dirname(s.log_path)
    os.makedirs(folder, mode=0o700)
    # A full disk of its own, seen by the program alone: a small file system in a
    # private mount namespace, filled before the program starts.
    script = ('mount -t tmpfs -o size=64k,mode=0700 brivane-full "$1" && '
              '{ head -c 1048576 /dev/zero > "$1/filler" 2>/dev/null; exec "$2"; }')
    probe = subprocess.run(["unshare", "-m", "sh", "-c", "mount -t tmpfs none /mnt"], capture_output=True)
    check(probe.returncode == 0, "cannot mount a small file system here: %r" % probe.stderr)
    p = s.start(exe=shutil.which("unshare"), args=["-m", "sh", "-c", script, "sh", folder, s.exe])
    _log_trouble_told_once(s, p)


def test_uncreatable_log_folder_is_told_once(s):
    s.set_log_level(3)
    # A file where the program's log folder should be: nobody can make the log.
    os.makedirs(os.path.dirname(os.path.dirname(s.log_path)))
    with open(os.path.dirname(s.log_path), "w") as f:
        f.write("in the way")
    p = s.start()
    _log_trouble_told_once(s, p)
