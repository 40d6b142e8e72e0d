"""The build installed into a prefix the user can write to: the installed
program finds its data beside its bin folder, keeps its settings in the
config folder and ends in order."""

import os
import signal
import subprocess
import time

from harness import check, TestFailure

SPLASH = "Brivane splash"
BOX = "Brivane"
START_TIMEOUT = 15


def _install(s):
    prefix = os.path.join(s.root, "prefix")
    r = subprocess.run([s.cmake, "--install", s.build_dir, "--prefix", prefix],
                       capture_output=True, text=True, timeout=120, stdin=subprocess.DEVNULL)
    check(r.returncode == 0, "cmake --install failed (%d): %s%s" % (r.returncode, r.stdout, r.stderr))
    exe = os.path.join(prefix, "bin", "Brivane")
    check(os.access(exe, os.X_OK), "no executable %s after the install" % exe)
    check(os.path.isfile(os.path.join(prefix, "share", "brivane", "grresrep.rcc")),
          "the install put no picture library in share/brivane")
    s.log("installed into %s" % prefix)
    return exe


def _wait_splash_gone(s, p):
    """Wait for the splash to come and go; an error box (Error 07) instead fails at once."""
    deadline = time.monotonic() + START_TIMEOUT
    while True:
        titles = s.windows_of(p)
        if BOX in titles.values():
            raise TestFailure("an error box came up instead of the splash")
        splash = [w for w, t in titles.items() if t == SPLASH]
        if splash:
            s.wait_window_gone(splash[0], timeout=10)
            return
        if not p.running():
            raise TestFailure("%s exited with %s before its splash" % (p.name, p.returncode))
        if time.monotonic() >= deadline:
            raise TestFailure("no splash within %.1f s" % START_TIMEOUT)
        time.sleep(0.05)


def test_installed_into_writable_prefix(s):
    exe = _install(s)
    bin_dir = os.path.dirname(exe)
    installed = sorted(os.listdir(bin_dir))
    check(installed == ["Brivane", "brivane"], "the install put %r into bin" % installed)
    # The full log, set where an installed copy reads its settings.
    s.set_log_level(3, s.config_ini_path)
    # The session's preferences (no full-moon notices), where an installed copy reads them.
    s.write_preferences(os.path.join(os.path.dirname(s.config_ini_path), "Brivane.pfc"), ShowFullMoons=False)
    p = s.start("installed", exe=exe)
    _wait_splash_gone(s, p)

    users2 = s.read_ini(s.config_ini_path).get("users2", {})
    store_folder = os.path.join(s.documents, "Brivane")
    check(list(users2.values()) == [store_folder + "/"], "the program wrote no [users2] into its ini: %r" % users2)
    check(sorted(os.listdir(bin_dir)) == installed,
          "files written beside the installed program: %r" % os.listdir(bin_dir))
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)

    lines = s.log_lines() or []
    check("Info: Launch Path: %s/" % bin_dir in lines, "no launch path line for %s in %r" % (bin_dir, lines))
    check("Info: DB version found: 10" in lines and any(line.startswith("Info: DB file: Brivane.dat") for line in lines),
          "the store was not read: %r" % lines)
    check(not any(line.startswith("Error") for line in lines), "errors logged: %r" % lines)
    check("Info: Finalize InitApp" in lines, "no orderly end in %r" % lines)
