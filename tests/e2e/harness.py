"""End-to-end harness: runs a portable copy of the real program on a private
Xvfb display with a throw-away HOME, and gives tests small helpers to find
windows, press keys, take screenshots and read the files the program writes.

Standard library only; the X tools used are Xvfb, xdotool, xwininfo, xprop,
and ImageMagick's import/identify; openbox for the tests that want a window
manager (a bare Xvfb puts no frames around windows).

A test is a function ``test_<name>(s)`` in a ``test_*.py`` module beside this
file; ``s`` is a running :class:`Session`. Everything a session starts is ended
by its process id when the test finishes, whatever the outcome.
"""

import ctypes
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

PROGRAM = "Brivane"
DEAD_BUS = "unix:path=/nonexistent"
DEAD_PULSE = "unix:/nonexistent"
_PR_SET_PDEATHSIG = 1


class TestFailure(AssertionError):
    """A check of a test did not hold."""


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def _die_with_parent():
    # Runs in the child before exec: if the runner is killed outright (a ctest
    # time-out), the kernel ends the child too instead of leaving it behind.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)
    except Exception:
        pass


def _pick_lang():
    try:
        out = subprocess.run(["locale", "-a"], capture_output=True, text=True, timeout=10).stdout
    except (OSError, subprocess.SubprocessError):
        out = ""
    names = {n.strip().lower().replace("-", "") for n in out.split()}
    return "en_GB.UTF-8" if "en_gb.utf8" in names else "C.UTF-8"


class Process:
    """One started program, in its own process group (group id = its pid)."""

    def __init__(self, session, name, argv, cwd, env):
        self.session = session
        self.name = name
        self.argv = list(argv)
        safe = re.sub(r"[^A-Za-z0-9_.-]", "_", name)
        self.out_path = os.path.join(session.root, "%s.%d.out" % (safe, len(session.processes)))
        self._out = open(self.out_path, "wb")
        self.started = time.monotonic()
        self.popen = subprocess.Popen(self.argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                      stdout=self._out, stderr=subprocess.STDOUT,
                                      start_new_session=True, preexec_fn=_die_with_parent)
        self.pid = self.popen.pid
        self.exited_at = None
        session.log("started %s pid %d: %s" % (name, self.pid, " ".join(self.argv)))

    @property
    def returncode(self):
        return self.popen.returncode

    def running(self):
        if self.popen.poll() is None:
            return True
        if self.exited_at is None:
            self.exited_at = time.monotonic()
        return False

    def send(self, sig):
        """Signal the process itself (not its group)."""
        if self.running():
            self.session.log("sending %s to %s (pid %d)" % (signal.Signals(sig).name, self.name, self.pid))
            os.kill(self.pid, sig)

    def wait_exit(self, timeout):
        """Wait until the process has ended; return its exit code (negative: killed by a signal)."""
        deadline = time.monotonic() + timeout
        while self.running():
            if time.monotonic() >= deadline:
                raise TestFailure("%s (pid %d) still running after %.1f s" % (self.name, self.pid, timeout))
            time.sleep(0.02)
        self.session.log("%s (pid %d) exited with %s after %.2f s"
                         % (self.name, self.pid, self.popen.returncode, self.exited_at - self.started))
        return self.popen.returncode

    def expect_exit(self, code, timeout):
        rc = self.wait_exit(timeout)
        check(rc == code, "%s exited with %s, expected %s" % (self.name, rc, code))
        return rc

    def output(self):
        try:
            with open(self.out_path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def stop(self, grace=3.0):
        """End the whole process group: SIGTERM, then SIGKILL after the grace time."""
        try:
            if self.popen.poll() is None:
                try:
                    os.killpg(self.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    self.popen.wait(grace)
                except subprocess.TimeoutExpired:
                    self.session.log("%s (pid %d) ignored SIGTERM, killing" % (self.name, self.pid))
            # Whatever the leader did, nothing of its group may outlive the test.
            try:
                os.killpg(self.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
            try:
                self.popen.wait(5)
            except subprocess.TimeoutExpired:
                pass
        finally:
            self._out.close()


class Session:
    """A private X display, a temporary HOME and a portable copy of the program.

    Paths: ``root`` (all of it), ``home``, ``tmpdir`` ($TMPDIR), ``prog_dir`` (the
    copy of the run folder), ``exe``, ``ini_path`` (beside the copy),
    ``config_ini_path`` (where an installed copy keeps it: $XDG_CONFIG_HOME/Brivane/),
    ``log_path`` ($XDG_STATE_HOME/Brivane/Brivane.log), ``documents`` ($HOME/Documents), ``desktop``
    ($HOME/Desktop, absent until :meth:`make_desktop`).
    """

    def __init__(self, run_dir, shot_dir, test_name, keep=False, verbose=True, build_dir=None, cmake=None):
        self.run_dir = os.path.abspath(run_dir)
        # The run folder is a folder of the build; tests that install the build need both.
        self.build_dir = os.path.abspath(build_dir or os.path.dirname(self.run_dir))
        self.cmake = cmake or shutil.which("cmake") or "cmake"
        self.test_name = test_name
        self.shot_dir = os.path.join(os.path.abspath(shot_dir), test_name)
        self.keep = keep
        self.verbose = verbose
        self.processes = []
        self.xvfb = None
        self.display = None
        self.root = None
        self.t0 = time.monotonic()

    # ----------------------------------------------------------------- set-up

    def __enter__(self):
        try:
            self._setup()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None and exc_type is not KeyboardInterrupt:
            try:
                self.dump_diagnostics()
            except Exception as e:  # diagnostics must not hide the real failure
                self.log("diagnostics failed: %r" % (e,))
        self.close()
        return False

    def _setup(self):
        exe = os.path.join(self.run_dir, PROGRAM)
        if not os.access(exe, os.X_OK):
            raise TestFailure("no executable %s: build the %s target first" % (exe, PROGRAM))
        for tool in ("Xvfb", "xdotool", "xwininfo", "xprop", "import"):
            if shutil.which(tool) is None:
                raise TestFailure("required tool %s is not installed" % tool)

        self.root = tempfile.mkdtemp(prefix="brivane-e2e-")
        self.home = os.path.join(self.root, "home")
        self.tmpdir = os.path.join(self.home, "tmp")
        self.runtime_dir = os.path.join(self.home, "runtime")
        for d in (self.home, os.path.join(self.home, ".config"), os.path.join(self.home, ".local", "share"),
                  os.path.join(self.home, ".cache"), self.tmpdir):
            os.makedirs(d, exist_ok=True)
        os.mkdir(self.runtime_dir, 0o700)
        os.chmod(self.runtime_dir, 0o700)

        self.prog_dir = os.path.join(self.root, PROGRAM)
        # Only what the build put there: files a run of the program wrote beside
        # itself (ini, preferences, help redirect) would spoil a first start.
        shutil.copytree(self.run_dir, self.prog_dir, symlinks=True, ignore=_written_by_program)
        self.exe = os.path.join(self.prog_dir, PROGRAM)
        self.ini_path = os.path.join(self.prog_dir, PROGRAM + ".ini")
        self.config_ini_path = os.path.join(self.home, ".config", PROGRAM, PROGRAM + ".ini")
        self.state_home = os.path.join(self.home, ".local", "state")
        self.log_path = os.path.join(self.state_home, PROGRAM, PROGRAM + ".log")
        self.documents = os.path.join(self.home, "Documents")
        self.desktop = os.path.join(self.home, "Desktop")
        # A full moon near the day of the run would add its notice window, its
        # sound and its service reminder to whatever a test watches; only a
        # test that asks for them gets the notices.
        self.write_preferences(ShowFullMoons=False)

        os.makedirs(self.shot_dir, exist_ok=True)
        for f in os.listdir(self.shot_dir):
            if f.endswith(".png"):
                os.unlink(os.path.join(self.shot_dir, f))

        self._start_xvfb()
        self.env = self._make_env()
        self.log("session ready: display :%s, root %s" % (self.display, self.root))

    def _start_xvfb(self):
        rfd, wfd = os.pipe()
        err_path = os.path.join(self.root, "Xvfb.out")
        err = open(err_path, "wb")
        try:
            popen = subprocess.Popen(
                ["Xvfb", "-displayfd", str(wfd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=err, stderr=subprocess.STDOUT, pass_fds=(wfd,),
                start_new_session=True, preexec_fn=_die_with_parent)
        finally:
            os.close(wfd)
            err.close()
        self.xvfb = _XvfbHandle(self, popen, err_path)
        data = b""
        deadline = time.monotonic() + 15
        try:
            while not data.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or popen.poll() is not None:
                    break
                ready, _, _ = select.select([rfd], [], [], left)
                if not ready:
                    break
                chunk = os.read(rfd, 64)
                if not chunk:
                    break
                data += chunk
        finally:
            os.close(rfd)
        if not data.strip().isdigit():
            with open(err_path, "rb") as f:
                raise TestFailure("Xvfb did not report a display: %r %s" % (data, f.read().decode("utf-8", "replace")))
        self.display = data.strip().decode()
        self.log("Xvfb pid %d on display :%s" % (popen.pid, self.display))

    def _make_env(self):
        env = {
            "PATH": os.environ.get("PATH", "/usr/local/bin:/usr/bin:/bin"),
            "HOME": self.home,
            "USER": os.environ.get("USER") or _login_name(),
            "LOGNAME": os.environ.get("LOGNAME") or _login_name(),
            "LANG": _pick_lang(),
            "DISPLAY": ":" + self.display,
            "QT_QPA_PLATFORM": "xcb",
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_STATE_HOME": self.state_home,
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "TMPDIR": self.tmpdir,
            "DBUS_SESSION_BUS_ADDRESS": DEAD_BUS,
            # Never the machine's own login manager: a test that wants one
            # starts a private bus with a fake (see e2e_dbus.py).
            "DBUS_SYSTEM_BUS_ADDRESS": DEAD_BUS,
            "NO_AT_BRIDGE": "1",
            # No sound server, and only libcanberra's PulseAudio driver (its ALSA
            # driver could reach a sound card directly): nothing is ever heard.
            "PULSE_SERVER": DEAD_PULSE,
            "CANBERRA_DRIVER": "pulse",
        }
        # A sanitizer build's options (scripts/test sets them) reach the program.
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if os.environ.get(name):
                env[name] = os.environ[name]
        return env

    def close(self):
        """End every started process by its id (newest first), then Xvfb, then remove the folder."""
        # A time-out or ctest's signal arriving now must not cut the clean-up short.
        blocked = {signal.SIGALRM, signal.SIGTERM, signal.SIGINT, signal.SIGHUP}
        old_mask = signal.pthread_sigmask(signal.SIG_BLOCK, blocked)
        try:
            self._close()
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, old_mask)

    def _close(self):
        for p in reversed(self.processes):
            try:
                p.stop()
            except Exception as e:
                self.log("could not stop %s: %r" % (p.name, e))
        if self.xvfb is not None:
            self.xvfb.stop()
            self.xvfb = None
        if self.root and os.path.isdir(self.root):
            if self.keep:
                self.log("kept %s" % self.root)
            else:
                shutil.rmtree(self.root, ignore_errors=True)

    # ----------------------------------------------------------------- output

    def log(self, message):
        if self.verbose:
            sys.stdout.write("[%7.3f] %s\n" % (time.monotonic() - self.t0, message))
            sys.stdout.flush()

    def dump_diagnostics(self):
        """What a failing test leaves for the reader: windows, program output, ini and log."""
        if self.display:
            try:
                self.screenshot("root", "failure-screen")
            except TestFailure:
                pass
            for wid in self.find_windows(".+", visible=True):
                self.log("visible window %d %r %s" % (wid, self.window_title(wid), self.geometry(wid)))
        for p in self.processes:
            self.log("--- output of %s (pid %d, exit %s) ---\n%s" % (p.name, p.pid, p.popen.poll(), p.output()))
        for path in (getattr(self, "ini_path", None), getattr(self, "config_ini_path", None),
                     getattr(self, "log_path", None)):
            if path and os.path.exists(path):
                with open(path, "rb") as f:
                    self.log("--- %s ---\n%s" % (path, _decode(f.read())))

    # ---------------------------------------------------------------- program

    def start(self, name=PROGRAM, exe=None, args=(), env=None):
        """Start the program copy (or another executable) on the session's display."""
        e = dict(self.env)
        if env:
            e.update(env)
        exe = exe or self.exe
        p = Process(self, name, [exe] + list(args), os.path.dirname(exe), e)
        self.processes.append(p)
        return p

    def start_trayer(self):
        """A notification area (trayer's panel at the top right of the screen)."""
        trayer = shutil.which("trayer")
        check(trayer is not None, "trayer is not installed")
        return self.start("trayer", exe=trayer, args=["--edge", "top", "--align", "right", "--width", "10",
                                                      "--height", "24", "--transparent", "false", "--tint",
                                                      "0xffffff", "--SetDockType", "true"])

    def start_window_manager(self, timeout=10.0):
        """openbox on the session's display, as a desktop has a window manager
        (frames with title bars, placement, focus); returns once it manages
        windows: the root window names its check window."""
        openbox = shutil.which("openbox")
        check(openbox is not None, "openbox is not installed")
        p = self.start("openbox", exe=openbox, args=["--sm-disable"])
        deadline = time.monotonic() + timeout
        while True:
            r = self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")
            m = re.search(r"window id # (0x[0-9a-fA-F]+)", r.stdout)
            if m and self.x("xwininfo", "-id", m.group(1)).returncode == 0:
                break
            check(p.running(), "openbox exited with %s: %s" % (p.returncode, p.output()))
            check(time.monotonic() < deadline, "openbox did not take the display within %.1f s" % timeout)
            time.sleep(0.05)
        self.log("window manager openbox (pid %d) is running" % p.pid)
        return p

    def tray_icon(self, proc, timeout=10.0):
        """(id, (x, y, width, height)) of the program's icon: its small window inside trayer's panel."""
        deadline = time.monotonic() + timeout
        while True:
            for wid in self.find_windows(".*", pid=proc.pid):
                geo = self.geometry(wid)
                if geo[2] <= 48 and geo[3] <= 48:
                    return wid, geo
            check(time.monotonic() < deadline, "no tray icon window of %s" % proc.name)
            time.sleep(0.1)

    def open_tray_menu(self, proc):
        """Right-click the program's tray icon; the menu then has the keyboard."""
        wid, (x, y, width, height) = self.tray_icon(proc)
        # --sync waits for the pointer to move: it must not be there already.
        self.x("xdotool", "mousemove", 1, 1, check_rc=True)
        self.x("xdotool", "mousemove", "--sync", x + width // 2, y + height // 2, check_rc=True)
        before = set(self.find_windows(".*", pid=proc.pid))
        self.x("xdotool", "click", "3", check_rc=True)
        self.wait_until(lambda: set(self.find_windows(".*", pid=proc.pid)) - before, "the tray menu", proc=proc)

    def make_desktop(self):
        """Give HOME the desktop folder a desktop session has (the empty HOME has none)."""
        os.makedirs(self.desktop, exist_ok=True)
        return self.desktop

    def write_ini(self, text, path=None):
        """Write the ini (beside the copy unless path says otherwise) as the program writes it: CR LF line ends."""
        path = path or self.ini_path
        data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def write_preferences(self, path=None, **switches):
        """Write the preferences file (beside the copy unless path says otherwise)
        holding only the given boolean preferences; the program takes its
        defaults for the others. Without switches the file is removed, as on a
        first start."""
        path = path or os.path.join(self.prog_dir, PROGRAM + ".pfc")
        if not switches:
            if os.path.exists(path):
                os.unlink(path)
            return

        def short(text):
            return bytes([len(text)]) + text

        stream = b"TPF0" + short(b"TPreferences") + short(b"")
        for name, value in switches.items():
            stream += short(name.encode("ascii")) + (b"\x09" if value else b"\x08")
        stream += b"\x00\x00"
        data = b"\xff\x0a\x00TPREFERENCES\x00\x30\x10" + struct.pack("<I", len(stream)) + stream
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def set_log_level(self, level, path=None, first_run=False):
        """An ini with the log level; unless first_run, of a user who has closed
        the Reminders window before (it does not open at start)."""
        text = "[Debug]\nLevel=%d\n" % level
        if not first_run:
            text += "[Tasklist]\nFirstRun=0\n"
        self.write_ini(text, path)

    def write_prefs(self, **settings):
        """Write the preferences file beside the copy: the defaults with these settings
        (names as the preferences call them; see helper/WritePrefs.cpp)."""
        tool = os.environ.get("BRIVANE_E2E_WRITE_PREFS")
        check(tool and os.access(tool, os.X_OK), "no preferences writer (BRIVANE_E2E_WRITE_PREFS)")
        settings.setdefault("ShowFullMoons", 0)  # as in every session unless asked for
        args = ["%s=%s" % (k, v) for k, v in settings.items()]
        r = subprocess.run([tool, os.path.join(self.prog_dir, PROGRAM + ".pfc")] + args, env=self.env,
                           capture_output=True, text=True, timeout=30)
        check(r.returncode == 0, "writing the preferences failed: %s" % r.stderr)

    def ini_bytes(self):
        return _read_bytes(self.ini_path)

    def read_ini(self, path=None):
        """{section: {key: value}} with section and key names lower-cased; None when missing."""
        data = _read_bytes(path or self.ini_path)
        if data is None:
            return None
        sections = {}
        current = None
        for line in _decode(data).splitlines():
            line = line.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1].strip().lower(), {})
            elif "=" in line and current is not None:
                key, value = line.split("=", 1)
                current[key.strip().lower()] = value
        return sections

    def ini_value(self, section, key, default=None):
        ini = self.read_ini() or {}
        return ini.get(section.lower(), {}).get(key.lower(), default)

    def log_lines(self):
        """The log's lines (CR LF separated, Windows-1252), or None when there is no log file."""
        data = _read_bytes(self.log_path)
        if data is None:
            return None
        text = _decode(data)
        lines = text.split("\r\n")
        if lines and lines[-1] == "":
            lines.pop()
        return lines

    def wait_log_line(self, predicate, timeout=5.0, proc=None):
        """Wait until a log line satisfies predicate (a text: equality); return its index.

        proc: the early exit of that process fails the wait at once.
        """
        if isinstance(predicate, str):
            wanted = predicate
            predicate = lambda line: line == wanted  # noqa: E731
        deadline = time.monotonic() + timeout
        while True:
            alive = proc is None or proc.running()
            lines = self.log_lines() or []
            for i, line in enumerate(lines):
                if predicate(line):
                    return i
            if not alive:
                raise TestFailure("%s exited with %s before the log line was written" % (proc.name, proc.returncode))
            if time.monotonic() >= deadline:
                raise TestFailure("no matching log line within %.1f s" % timeout)
            time.sleep(0.05)

    def wait_until(self, condition, what, timeout=10.0, proc=None):
        """Poll until condition() is true; what names it in the failure. proc: its
        early exit fails the wait at once."""
        deadline = time.monotonic() + timeout
        while not condition():
            if proc is not None and not proc.running():
                raise TestFailure("%s exited with %s while waiting for %s" % (proc.name, proc.returncode, what))
            if time.monotonic() >= deadline:
                raise TestFailure("%s: not within %.1f s" % (what, timeout))
            time.sleep(0.05)

    def wait_log_count(self, line, count, timeout=5.0, proc=None):
        """Wait until the log holds that line (exactly) count times or more."""
        self.wait_until(lambda: (self.log_lines() or []).count(line) >= count,
                        "%d times %r in the log" % (count, line), timeout, proc)

    # --------------------------------------------------------------- X helpers

    def x(self, tool, *args, timeout=10, check_rc=False):
        r = subprocess.run([tool] + [str(a) for a in args], env=self.env, capture_output=True,
                           text=True, timeout=timeout, stdin=subprocess.DEVNULL)
        if check_rc and r.returncode != 0:
            raise TestFailure("%s %s failed (%d): %s" % (tool, " ".join(map(str, args)), r.returncode,
                                                          r.stderr.strip()))
        return r

    def find_windows(self, name, visible=True, pid=None):
        """Ids of the windows whose title matches the regular expression name."""
        # xdotool joins its conditions with "or" unless told otherwise.
        args = ["search", "--all"]
        if visible:
            args.append("--onlyvisible")
        if pid is not None:
            args += ["--pid", pid]
        args += ["--name", name]
        r = self.x("xdotool", *args)
        return [int(w) for w in r.stdout.split() if w.isdigit()]

    def windows_of(self, proc, visible=True):
        """{id: title} of the titled windows that belong to a started process."""
        return {w: self.window_title(w) for w in self.find_windows(".+", visible=visible, pid=proc.pid)}

    def wait_window(self, name, timeout=10.0, visible=True, proc=None, exact=True):
        """Poll until a window with that title exists; return its id.

        exact: name is the whole title (otherwise a regular expression). proc: only
        windows of that process count, and its early exit fails the wait at once.
        """
        pattern = "^%s$" % re.escape(name) if exact else name
        deadline = time.monotonic() + timeout
        while True:
            ids = self.find_windows(pattern, visible=visible, pid=proc.pid if proc else None)
            if ids:
                self.log("window %r found: %s" % (name, ids))
                return ids[0]
            if proc is not None and not proc.running():
                raise TestFailure("%s exited with %s before a window titled %r appeared"
                                  % (proc.name, proc.returncode, name))
            if time.monotonic() >= deadline:
                raise TestFailure("no %swindow titled %r within %.1f s"
                                  % ("visible " if visible else "", name, timeout))
            time.sleep(0.03)

    def transient_for(self, wid):
        """The window that a window belongs to (WM_TRANSIENT_FOR), or None."""
        r = self.x("xprop", "-id", wid, "WM_TRANSIENT_FOR")
        m = re.search(r"window id # (0x[0-9a-fA-F]+)", r.stdout)
        return int(m.group(1), 16) if m else None

    def wait_popup(self, proc, owner, timeout=10.0):
        """Poll until a popup of the owner window (a menu: override-redirect, transient
        for the owner) is showing; return its id."""
        deadline = time.monotonic() + timeout
        while True:
            for wid in self.find_windows(".*", visible=True, pid=proc.pid):
                if wid != owner and self.transient_for(wid) == owner:
                    r = self.x("xwininfo", "-id", wid)
                    if re.search(r"Override Redirect State:\s*yes", r.stdout):
                        self.log("popup of %d found: %d %s" % (owner, wid, self.geometry(wid)))
                        return wid
            if not proc.running():
                raise TestFailure("%s exited with %s before a popup showed" % (proc.name, proc.returncode))
            if time.monotonic() >= deadline:
                raise TestFailure("no popup of window %d within %.1f s" % (owner, timeout))
            time.sleep(0.03)

    def is_viewable(self, wid):
        """True while the window exists and is mapped."""
        r = self.x("xwininfo", "-id", wid)
        return r.returncode == 0 and "Map State: IsViewable" in r.stdout

    def wait_window_gone(self, wid, timeout=10.0):
        """Poll until the window is unmapped or destroyed; return the moment (monotonic)."""
        deadline = time.monotonic() + timeout
        while self.is_viewable(wid):
            if time.monotonic() >= deadline:
                raise TestFailure("window %d still visible after %.1f s" % (wid, timeout))
            time.sleep(0.03)
        return time.monotonic()

    def window_title(self, wid):
        r = self.x("xdotool", "getwindowname", wid)
        return r.stdout.rstrip("\n") if r.returncode == 0 else None

    def type_in_caption(self, wid, text, prefix, timeout=5.0):
        """Type into the focused field whose text the window's caption shows
        after prefix, one character at a time, each checked in the caption:
        xdotool types a character outside the keyboard map through a key it
        maps for the moment, and the program now and then reads the key after
        the map went back. A lost or wrong character is typed again."""
        typed = ""
        deadline = time.monotonic() + timeout + len(text)
        while typed != text:
            if time.monotonic() >= deadline:
                raise TestFailure("could not type %r, the caption reads %r" % (text, self.window_title(wid)))
            ch = text[len(typed)]
            self.x("xdotool", "type", "--delay", "50", ch, check_rc=True)
            settle = time.monotonic() + 1.0
            while self.window_title(wid) != prefix + typed + ch and time.monotonic() < settle:
                time.sleep(0.05)
            if self.window_title(wid) == prefix + typed + ch:
                typed += ch
                continue
            # Take back whatever came instead of the character.
            while ((self.window_title(wid) or "").startswith(prefix + typed)
                   and self.window_title(wid) != prefix + typed):
                self.press("BackSpace")
                time.sleep(0.05)

    def window_pid(self, wid):
        r = self.x("xdotool", "getwindowpid", wid)
        return int(r.stdout) if r.returncode == 0 and r.stdout.strip().isdigit() else None

    def geometry(self, wid):
        """(x, y, width, height) of the window."""
        r = self.x("xdotool", "getwindowgeometry", "--shell", wid, check_rc=True)
        v = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def client_geometry(self, wid):
        """(x, y, width, height) of the window's own area on the screen, inside any frame."""
        r = self.x("xwininfo", "-id", wid, check_rc=True)
        v = {k: int(re.search(r"%s:\s*(-?\d+)" % k, r.stdout).group(1))
             for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
        return v["Absolute upper-left X"], v["Absolute upper-left Y"], v["Width"], v["Height"]

    def frame_extents(self, wid):
        """(left, right, top, bottom) of the window manager's frame around the window, or None
        while it has put no frame around it (_NET_FRAME_EXTENTS)."""
        r = self.x("xprop", "-id", wid, "_NET_FRAME_EXTENTS")
        m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", r.stdout)
        return tuple(int(g) for g in m.groups()) if m else None

    def frame_geometry(self, wid, timeout=5.0):
        """(x, y, width, height) of the window with its frame, once the window manager has
        framed it and the place no longer changes (three equal readings in a row)."""
        deadline = time.monotonic() + timeout
        last, same = None, 0
        while True:
            extents = self.frame_extents(wid)
            if extents is not None:
                left, right, top, bottom = extents
                x, y, w, h = self.client_geometry(wid)
                frame = (x - left, y - top, w + left + right, h + top + bottom)
                same = same + 1 if frame == last else 0
                last = frame
                if same >= 2:
                    return frame
            check(time.monotonic() < deadline, "window %d has no settled frame after %.1f s (last %s)"
                  % (wid, timeout, last))
            time.sleep(0.1)

    def is_borderless(self, wid):
        """The window asks for no frame: override-redirect, Motif hints without decorations,
        or a window type that window managers leave undecorated (splash, Qt's frameless marker)."""
        r = self.x("xwininfo", "-id", wid, check_rc=True)
        if re.search(r"Override Redirect State:\s*yes", r.stdout):
            return True
        r = self.x("xprop", "-id", wid, "_MOTIF_WM_HINTS", "_NET_WM_WINDOW_TYPE")
        m = re.search(r"^_MOTIF_WM_HINTS\(.*?=\s*(.*)$", r.stdout, re.M)
        if m:
            fields = [int(f.strip(), 0) for f in m.group(1).split(",")]
            MWM_HINTS_DECORATIONS = 2
            if len(fields) >= 3 and fields[0] & MWM_HINTS_DECORATIONS:
                return fields[2] == 0
        m = re.search(r"^_NET_WM_WINDOW_TYPE\(ATOM\) = (.*)$", r.stdout, re.M)
        types = [t.strip() for t in m.group(1).split(",")] if m else []
        return "_NET_WM_WINDOW_TYPE_SPLASH" in types or "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE" in types

    def is_shaped(self, wid):
        """The window has a bounding shape (an outline taken from its picture), not a plain rectangle."""
        r = self.x("xwininfo", "-shape", "-id", wid, check_rc=True)
        return "No window shape defined" not in r.stdout

    def press(self, *keys):
        """Key presses (xdotool names) to whatever window has the keyboard."""
        self.x("xdotool", "key", "--clearmodifiers", *keys, check_rc=True)

    def focus(self, wid, timeout=5.0):
        """Give the window the keyboard (a bare Xvfb has no window manager to do it) and wait until it has it."""
        deadline = time.monotonic() + timeout
        while True:
            self.x("xdotool", "windowfocus", "--sync", wid)
            if self.x("xdotool", "getwindowfocus").stdout.strip() == str(wid):
                break
            check(time.monotonic() < deadline, "window %d does not take the keyboard" % wid)
            time.sleep(0.1)
        # The toolkit takes the focus-in in steps of its own that no X query shows; keys
        # pressed before it is done can go to the widget it then moves the focus from.
        time.sleep(0.3)

    def key(self, wid, *keys):
        """Send key presses (xdotool names: Return, Escape, ctrl+c, ...) to the window."""
        self.log("keys %s -> window %d" % (" ".join(keys), wid))
        r = self.x("xdotool", "key", "--window", wid, *keys)
        # A key that closes the window (Return on a box) leaves the key release
        # without a target; that is success, not an error.
        if r.returncode != 0 and "BadWindow" not in r.stderr:
            raise TestFailure("xdotool key failed (%d): %s" % (r.returncode, r.stderr.strip()))

    def painted_screenshot(self, wid, name, min_colours=2, timeout=5.0):
        """Take screenshots until the window shows more than min_colours colours
        (it has painted), or the time is up; return the path of the last one."""
        deadline = time.monotonic() + timeout
        while True:
            path = self.screenshot(wid, name)
            if self.image_colours(path) > min_colours or time.monotonic() >= deadline:
                return path
            time.sleep(0.05)

    def wait_change(self, wid, act, what, timeout=5.0, min_pixels=100):
        """Do act() and wait until the window's picture changes in more than min_pixels
        pixels: a new page or a new text, not a blinking cursor."""
        before = os.path.join(self.tmpdir, "before.png")
        now = os.path.join(self.tmpdir, "now.png")
        self.x("import", "-window", wid, "png:" + before, timeout=20, check_rc=True)
        act()

        def changed():
            self.x("import", "-window", wid, "png:" + now, timeout=20, check_rc=True)
            r = subprocess.run(["compare", "-metric", "AE", before, now, "null:"], capture_output=True, text=True,
                               timeout=20)
            if r.returncode == 2:
                return "differ" in r.stderr  # another size: changed
            return float(r.stderr.split()[0]) > min_pixels

        self.wait_until(changed, "window %d changing after %s" % (wid, what), timeout)

    def press_and_wait_change(self, wid, *keys, timeout=5.0, min_pixels=100):
        """Press keys (to whatever has the keyboard) and wait until the window shows their effect."""
        self.wait_change(wid, lambda: self.press(*keys), " ".join(keys), timeout, min_pixels)

    def screenshot(self, wid, name):
        """Save the window (or "root": the whole screen) as <shots>/<test>/<name>.png; return the path."""
        path = os.path.join(self.shot_dir, name + ".png")
        self.x("import", "-window", wid, "png:" + path, timeout=20, check_rc=True)
        self.log("screenshot %s" % path)
        return path

    def image_colours(self, path):
        """Number of distinct colours in a picture (a blank window has one)."""
        r = subprocess.run(["identify", "-format", "%k", path], capture_output=True, text=True, timeout=20)
        check(r.returncode == 0, "identify failed on %s: %s" % (path, r.stderr))
        return int(r.stdout.strip())


    def region_pixels(self, path, x, y, width, height):
        """The (r, g, b) pixels of a rectangle of a picture, row by row (ImageMagick's stream)."""
        r = subprocess.run(["stream", "-map", "rgb", "-storage-type", "char",
                            "-extract", "%dx%d+%d+%d" % (width, height, x, y), path, "-"],
                           capture_output=True, timeout=20)
        check(r.returncode == 0 and len(r.stdout) == width * height * 3,
              "stream failed on %s: %s" % (path, r.stderr.decode("utf-8", "replace")))
        d = r.stdout
        return [tuple(d[i:i + 3]) for i in range(0, len(d), 3)]


class _XvfbHandle:
    def __init__(self, session, popen, err_path):
        self.session = session
        self.popen = popen
        self.err_path = err_path

    def stop(self):
        if self.popen.poll() is None:
            try:
                os.killpg(self.popen.pid, signal.SIGTERM)
                self.popen.wait(5)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                pass
        try:
            os.killpg(self.popen.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            self.popen.wait(5)
        except subprocess.TimeoutExpired:
            pass


def _written_by_program(folder, names):
    return [n for n in names
            if n.lower() in (PROGRAM.lower() + ".ini", "help_redirect.html") or n.lower().endswith(".pfc")]


def _decode(data):
    """Files the program writes: UTF-8, lines of older runs in Windows-1252."""
    return "\n".join(_decode_line(line) for line in data.split(b"\n"))


def _decode_line(line):
    try:
        return line.decode("utf-8")
    except UnicodeDecodeError:
        return line.decode("cp1252", "replace")


def _read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def _login_name():
    try:
        import pwd
        return pwd.getpwuid(os.getuid()).pw_name
    except (ImportError, KeyError):
        return "user"
