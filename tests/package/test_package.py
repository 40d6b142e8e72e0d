#!/usr/bin/python3
"""The Debian package, made with CPack from this build.

Checks its control data and file list, runs the desktop's validators on its
menu entry and metainfo and man on its manual page, then unpacks it into a
temporary root and starts the program from there, as the menu entry does, on
a private X display with a private HOME: it finds its data in
usr/share/brivane, keeps its settings in the user's config folder, writes
nothing into the installed tree and ends in order on SIGTERM.

    test_package.py --build-dir B --run-dir R --shots S --cpack CPACK --version V [--keep]
"""

import argparse
import configparser
import os
import re
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import harness  # noqa: E402
from harness import check, TestFailure  # noqa: E402

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
DESKTOP = "usr/share/applications/brivane.desktop"
METAINFO = "usr/share/metainfo/org.example.brivane.metainfo.xml"
MAN = "usr/share/man/man1/brivane.1.gz"
COMPLETION = "usr/share/bash-completion/completions/brivane"
# Everything the package carries lies below one of these.
ALLOWED = ("usr/bin/", "usr/share/brivane/", "usr/share/applications/", "usr/share/metainfo/",
           "usr/share/man/man1/", "usr/share/icons/hicolor/", COMPLETION)
# Libraries dpkg-shlibdeps must find (the X11 platform plugin ships in libqt6gui6),
# and what the package adds by hand.
SHLIB_DEPENDS = ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libcanberra0", "libcurl4")
HAND_DEPENDS = ("libcanberra-pulse", "ca-certificates")
RECOMMENDS = ("sound-theme-freedesktop",)
SPLASH = "Brivane splash"
START_TIMEOUT = 15
DEADLINE = 240


def run(argv, timeout=120, **kw):
    r = subprocess.run(argv, capture_output=True, text=True, timeout=timeout, stdin=subprocess.DEVNULL, **kw)
    check(r.returncode == 0, "%s failed (%d):\n%s%s" % (" ".join(argv), r.returncode, r.stdout, r.stderr))
    return r.stdout


def build_package(s, cpack):
    out = os.path.join(s.root, "cpack")
    started = time.monotonic()
    run([cpack, "-G", "DEB", "--config", os.path.join(s.build_dir, "CPackConfig.cmake"), "-B", out], timeout=200)
    debs = [f for f in os.listdir(out) if f.endswith(".deb")]
    check(len(debs) == 1, "cpack made %r" % debs)
    deb = os.path.join(out, debs[0])
    s.log("built %s (%d bytes) in %.1f s" % (debs[0], os.path.getsize(deb), time.monotonic() - started))
    return deb


def package_names(field):
    """The package names of a relation field (alternatives included), without versions."""
    return {re.sub(r"\s*\(.*?\)", "", alt).strip() for rel in field.split(",") for alt in rel.split("|") if alt.strip()}


def check_control(s, deb, version):
    fields = {}
    for line in run(["dpkg-deb", "-f", deb]).splitlines():
        if line and not line[0].isspace() and ":" in line:
            key, value = line.split(":", 1)
            fields[key] = value.strip()
    arch = run(["dpkg", "--print-architecture"]).strip()
    check(os.path.basename(deb) == "brivane_%s_%s.deb" % (version, arch), "package file named %s" % deb)
    for key, want in (("Package", "brivane"), ("Version", version), ("Architecture", arch)):
        check(fields.get(key) == want, "%s is %r, expected %r" % (key, fields.get(key), want))
    depends = fields.get("Depends", "")
    missing = [p for p in SHLIB_DEPENDS + HAND_DEPENDS if p not in package_names(depends)]
    check(not missing, "Depends lacks %s: %s" % (missing, depends))
    # Versions come from the libraries' symbols files, so the tooling made the list.
    unversioned = [p for p in SHLIB_DEPENDS if not re.search(r"(^|,)\s*%s \(>= [^)]+\)" % re.escape(p), depends)]
    check(not unversioned, "Depends without the versions dpkg-shlibdeps gives: %s in %s" % (unversioned, depends))
    missing = [p for p in RECOMMENDS if p not in package_names(fields.get("Recommends", ""))]
    check(not missing, "Recommends lacks %s: %r" % (missing, fields.get("Recommends")))
    # Maintainer scripts are the only way a removal could reach a user's files.
    members = re.findall(r"^\s+\d+ bytes,\s+\d+ lines\s+\*?\s*(\S+)", run(["dpkg-deb", "-I", deb]), re.M)
    check(sorted(members) == ["control", "md5sums"], "control archive holds %r" % members)


def check_file_list(deb):
    entries = {}
    for line in run(["dpkg-deb", "-c", deb]).splitlines():
        parts = line.split(None, 5)
        path = parts[5].split(" -> ")[0]
        path = path[2:] if path.startswith("./") else path
        entries[path.rstrip("/")] = (parts[0], parts[1], parts[5])
    wanted = {"usr/bin/Brivane", "usr/bin/brivane", "usr/share/brivane/grresrep.rcc",
              "usr/share/brivane/Sounds/reminder.wav", "usr/share/brivane/Help/help_index.html",
              DESKTOP, METAINFO, MAN, COMPLETION, "usr/share/icons/hicolor/scalable/apps/brivane.svg"}
    wanted |= {"usr/share/icons/hicolor/%dx%d/apps/brivane.png" % (n, n) for n in ICON_SIZES}
    missing = sorted(wanted - set(entries))
    check(not missing, "the package lacks %s" % missing)
    stray = sorted(p for p, (mode, _, _) in entries.items()
                   if not mode.startswith("d") and not p.startswith(ALLOWED))
    check(not stray, "files outside the program's places: %s" % stray)
    wrong_owner = sorted(p for p, (_, owner, _) in entries.items() if owner != "root/root")
    check(not wrong_owner, "not owned by root: %s" % wrong_owner)
    check(entries["usr/bin/Brivane"][0] == "-rwxr-xr-x", "usr/bin/Brivane is %s" % entries["usr/bin/Brivane"][0])
    check(entries["usr/bin/brivane"][2].endswith(" -> Brivane"), "usr/bin/brivane: %s" % entries["usr/bin/brivane"][2])


def desktop_entry(root):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str
    parser.read(os.path.join(root, DESKTOP), encoding="utf-8")
    return parser["Desktop Entry"]


def check_integration(s, root):
    """The validators, and that the entry, metainfo, icons and manual page name one another."""
    run(["desktop-file-validate", os.path.join(root, DESKTOP)])
    run(["appstreamcli", "validate", "--no-net", "--explain", os.path.join(root, METAINFO)])
    entry = desktop_entry(root)
    check(entry.get("StartupNotify") == "false", "StartupNotify=%r for a tray program" % entry.get("StartupNotify"))
    meta = ET.parse(os.path.join(root, METAINFO)).getroot()
    launch = meta.findtext("launchable")
    check(launch == os.path.basename(DESKTOP), "the metainfo launches %r" % launch)
    # Screenshots come only with a web address given at build time; each has its caption.
    shots = list(meta.iter("screenshot"))
    captions = [c.text for c in meta.iter("caption")]
    check(len(captions) == len(shots) and all(c and c.strip() for c in captions),
          "screenshots without captions: %r" % captions)
    check(len(meta.find("description")) >= 2, "the metainfo's description is a stub")

    icon = entry.get("Icon")
    for n in ICON_SIZES:
        path = os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, icon))
        size = run(["identify", "-format", "%w %h", path]).strip()
        check(size == "%d %d" % (n, n), "%s is %s pixels" % (path, size))
    svg = ET.parse(os.path.join(root, "usr/share/icons/hicolor/scalable/apps/%s.svg" % icon)).getroot()
    check(svg.tag.endswith("svg") and svg.get("viewBox"), "the scalable icon is no SVG with a view box")

    # man's own check, as Debian's tools run it: any groff warning is printed.
    env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
    r = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", os.path.join(root, MAN)],
                       capture_output=True, text=True, timeout=60, env=env)
    check(r.returncode == 0 and not r.stderr.strip(), "the manual page has faults: %s" % r.stderr)
    text = run(["man", "-l", os.path.join(root, MAN)], env=env)
    for heading in ("NAME", "SYNOPSIS", "FILES", "SIGNALS"):
        check(re.search(r"^%s$" % heading, text, re.M), "the manual page has no %s section" % heading)
    return entry


def tree_state(root):
    state = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            state[os.path.relpath(path, root)] = (st.st_mode, st.st_size, st.st_mtime_ns)
    return state


def wm_class(s, wid):
    r = s.x("xprop", "-id", wid, "WM_CLASS")
    return re.findall(r'"([^"]*)"', r.stdout)


def check_installed_program(s, root, entry):
    # Started as the menu starts it: the entry's command, found in the package's bin folder.
    command = entry.get("Exec").split()[0]
    exe = os.path.join(root, "usr", "bin", command)
    check(os.access(exe, os.X_OK), "the menu entry's command %r is not in the package's usr/bin" % command)
    bin_dir = os.path.join(root, "usr", "bin")
    before = tree_state(root)
    s.set_log_level(3, s.config_ini_path)
    # Where an installed copy reads them: the session's preferences (no full-moon notices).
    s.write_preferences(os.path.join(os.path.dirname(s.config_ini_path), "Brivane.pfc"), ShowFullMoons=False)
    p = s.start("installed", exe=exe)

    deadline = time.monotonic() + START_TIMEOUT
    while True:
        titles = s.windows_of(p)
        if "Brivane" in titles.values():
            raise TestFailure("an error box came up instead of the splash: the data folder was not found?")
        splash = [w for w, t in titles.items() if t == SPLASH]
        if splash:
            break
        check(p.running(), "the installed program exited with %s before its splash" % p.returncode)
        check(time.monotonic() < deadline, "no splash within %d s" % START_TIMEOUT)
        time.sleep(0.05)
    # The instance part follows the command's name (brivane or Brivane); the class is the same from every start.
    names = wm_class(s, splash[0])
    check(len(names) == 2 and entry.get("StartupWMClass") == names[1],
          "StartupWMClass=%s is not the windows' class %r" % (entry.get("StartupWMClass"), names))
    # The splash goes by a timer: the event loop runs.
    s.wait_window_gone(splash[0], timeout=10)
    check(p.running(), "the installed program ended after its splash (%s)" % p.returncode)

    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
    lines = s.log_lines() or []
    for wanted in ("Info: Launch Path: %s/" % bin_dir, "Info: End requested by SIGTERM", "Info: Finalize InitApp"):
        check(wanted in lines, "no %r in the log %r" % (wanted, lines))
    check(lines[-1].startswith("Info:*** Terminated at "), "the log does not end with the finalization: %r" % lines[-3:])
    errors = [line for line in lines if line.startswith("Error")]
    check(not errors, "errors logged: %r" % errors)
    store = os.path.join(s.documents, "Brivane", "Brivane.dat")
    check(os.path.isfile(store), "no store %s after the end" % store)
    users2 = s.read_ini(s.config_ini_path).get("users2", {})
    check(list(users2.values()) == [os.path.dirname(store) + "/"], "[users2] of the config ini: %r" % users2)
    after = tree_state(root)
    changed = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
    check(not changed, "the program wrote into the installed tree: %s" % changed)


def test_package(s, cpack, version):
    deb = build_package(s, cpack)
    check_control(s, deb, version)
    check_file_list(deb)
    root = os.path.join(s.root, "installed")
    run(["dpkg-deb", "-x", deb, root])
    entry = check_integration(s, root)
    check_installed_program(s, root, entry)


def _on_signal(signum, frame):
    raise TestFailure("interrupted by %s (the deadline is %d s)" % (signal.Signals(signum).name, DEADLINE))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build-dir", required=True)
    ap.add_argument("--run-dir", required=True)
    ap.add_argument("--shots", required=True)
    ap.add_argument("--cpack", default="cpack")
    ap.add_argument("--version", required=True)
    ap.add_argument("--keep", action="store_true", help="keep the temporary folder for inspection")
    args = ap.parse_args()
    for sig in (signal.SIGALRM, signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, _on_signal)
    started = time.monotonic()
    signal.alarm(DEADLINE)
    try:
        with harness.Session(args.run_dir, args.shots, "package", keep=args.keep, build_dir=args.build_dir) as s:
            test_package(s, args.cpack, args.version)
    except TestFailure as e:
        print("FAILED package: %s" % e, flush=True)
        return 1
    finally:
        signal.alarm(0)
    print("PASSED package (%.1f s)" % (time.monotonic() - started), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
