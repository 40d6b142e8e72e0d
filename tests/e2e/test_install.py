"""The build installed into a prefix the user can write to: the installed
program finds its data beside its bin folder, keeps its settings in the
config folder and ends in order, and keeps the sounds the user picks in the
user's data folder."""

import json
import os
import signal
import stat
import subprocess
import time

import records
from harness import check, TestFailure

SPLASH = "Brivane splash"
BOX = "Brivane"
START_TIMEOUT = 15
WIZARD = "Add Reminder wizard"
BROWSE = "Browse for a sound..."
PLAYER_WARNING = "Warning: Sound: cannot play "
SOUND_FILE = 615  # the record's sound name: a length byte, then the text


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



def test_installed_copy_keeps_a_picked_sound_in_the_users_data_folder(s):
    """A sound picked in the wizard of an installed copy is copied into
    $XDG_DATA_HOME/Brivane/Sounds, never into the installed data, is found
    there by "Test" and is stored by its name."""
    exe = _install(s)
    shipped = os.path.join(os.path.dirname(os.path.dirname(exe)), "share", "brivane", "Sounds")
    shipped_before = sorted(os.listdir(shipped))
    user_sounds = os.path.join(s.env["XDG_DATA_HOME"], "Brivane", "Sounds")
    picked = os.path.join(s.root, "my sounds", "chime.wav")
    os.makedirs(os.path.dirname(picked))
    with open(os.path.join(shipped, "reminder.wav"), "rb") as f:
        sound = f.read()
    with open(picked, "wb") as f:
        f.write(sound)
    s.set_log_level(3, s.config_ini_path)
    s.write_preferences(os.path.join(os.path.dirname(s.config_ini_path), "Brivane.pfc"), ShowFullMoons=False)
    p = s.start("installed", exe=exe)
    _wait_splash_gone(s, p)

    s.press("ctrl+shift+t")
    w = s.wait_window(WIZARD, timeout=10, proc=p)
    s.focus(w)
    s.press_and_wait_change(w, "Return")  # Next: an alarm
    s.press_and_wait_change(w, "Return")  # Next: "Untitled" stays
    s.press_and_wait_change(w, "Return")  # Next: the time proposed
    # From "Popup a note" past "Send an e-mail", "Play sound" and the sound's name to its "...".
    s.press_and_wait_change(w, "Tab", "Tab", "Tab", "Tab", min_pixels=0)
    s.painted_screenshot(w, "actions_browse_focused", min_colours=8)
    s.press("space")
    browse = s.wait_window(BROWSE, timeout=10, proc=p)
    s.focus(browse)
    s.x("xdotool", "type", "--delay", "20", picked, check_rc=True)
    s.painted_screenshot(browse, "sound_picked", min_colours=8)
    s.press("Return")
    s.wait_window_gone(browse, timeout=10)
    s.focus(w)

    copy = os.path.join(user_sounds, "chime.wav")
    check(os.path.isfile(copy), "the picked sound was not copied into %s: %r" % (
        user_sounds, os.listdir(user_sounds) if os.path.isdir(user_sounds) else "no such folder"))
    with open(copy, "rb") as f:
        check(f.read() == sound, "the copy differs from the picked sound")
    check(stat.S_IMODE(os.stat(user_sounds).st_mode) == 0o700, "the user's sounds folder is %o, not 700"
          % stat.S_IMODE(os.stat(user_sounds).st_mode))
    check(sorted(os.listdir(shipped)) == shipped_before, "written into the installed sounds: %r" % os.listdir(shipped))

    # "Test" plays the user's copy (the machine has no sound server: the player says which file).
    s.press("Tab", "space")
    s.wait_log_line(lambda line: line.startswith(PLAYER_WARNING + copy + ": "), timeout=10, proc=p)
    s.press("ctrl+s")  # Finish
    s.wait_window_gone(w, timeout=10)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
    r = records.saved_record(os.path.join(s.documents, "Brivane", "Brivane.dat"), "Untitled")
    check(r[SOUND_FILE + 1:SOUND_FILE + 1 + r[SOUND_FILE]] == b"chime.wav",
          "the reminder names the sound %r" % r[SOUND_FILE + 1:SOUND_FILE + 1 + r[SOUND_FILE]])
    lines = s.log_lines() or []
    check(not any(line.startswith("Error") for line in lines), "errors logged: %r" % lines)


def _command(s, cli, *args):
    r = subprocess.run([cli] + list(args), env=s.env, cwd=s.home, stdin=subprocess.DEVNULL, capture_output=True,
                       timeout=40)
    s.log("brivane %s -> %d\n%s%s" % (" ".join(args), r.returncode, r.stdout.decode(), r.stderr.decode()))
    return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8")


def test_installed_command_works_on_the_programs_store(s):
    """The installed `brivane` reaches the store the program uses, also one the
    user moved, with and without the program running."""
    exe = _install(s)
    cli = os.path.join(os.path.dirname(exe), "brivane")
    moved = os.path.join(s.home, "Elsewhere")
    s.write_ini("[users]\n%s=%s\n[Tasklist]\nFirstRun=0\n" % (s.env["USER"], moved), s.config_ini_path)
    rc, _, err = _command(s, cli, "add", "Pay the rent", "--at", "2030-01-01 09:00")
    check(rc == 0 and "not running" in err, "add without the program: %d %r" % (rc, err))
    check("Pay the rent" in records.saved_titles(os.path.join(moved, "Brivane.dat")),
          "the reminder is not in the moved store")
    p = s.start("installed", exe=exe)
    _wait_splash_gone(s, p)
    rc, out, err = _command(s, cli, "list", "--json")
    check(rc == 0 and [i["title"] for i in json.loads(out)] == ["Pay the rent"],
          "the running program lists %r (%r)" % (out, err))
