#!/usr/bin/python3
"""Runs end-to-end tests by name.

    run_e2e.py --run-dir <built program folder> --shots <screenshot folder>
               [--build-dir <build folder>] [--cmake <cmake>] NAME...
    run_e2e.py --list

A test is a function ``test_<name>(session)`` in a ``test_*.py`` module of this
folder; NAME is <name>. ctest registers one entry per such function.
"""

import argparse
import importlib.util
import os
import signal
import sys
import time
import traceback

sys.dont_write_bytecode = True  # keep the source folder clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import harness  # noqa: E402

# Below ctest's own time-out, so that a hanging test still cleans up after itself.
DEFAULT_DEADLINE = 55


class DeadlineExceeded(Exception):
    pass


def discover():
    """{name: function} over every test_*.py module beside this file."""
    tests = {}
    for fname in sorted(os.listdir(HERE)):
        if not (fname.startswith("test_") and fname.endswith(".py")):
            continue
        found = importlib.util.spec_from_file_location(fname[:-3], os.path.join(HERE, fname))
        module = importlib.util.module_from_spec(found)
        found.loader.exec_module(module)
        for attr, fn in vars(module).items():
            if attr.startswith("test_") and callable(fn) and getattr(fn, "__module__", None) == module.__name__:
                name = attr[len("test_"):]
                if name in tests:
                    raise SystemExit("duplicate e2e test name %s in %s" % (name, fname))
                tests[name] = fn
    return tests


def _on_signal(signum, frame):
    raise DeadlineExceeded("interrupted by %s" % signal.Signals(signum).name)


def run_one(name, fn, args):
    print("=== e2e %s" % name, flush=True)
    started = time.monotonic()
    try:
        # A test that waits for the scheduler's passes says how long it needs.
        signal.alarm(max(args.deadline, getattr(fn, "deadline", 0)))
        with harness.Session(args.run_dir, args.shots, name, keep=args.keep, build_dir=args.build_dir,
                             cmake=args.cmake) as session:
            fn(session)
    except (harness.TestFailure, DeadlineExceeded) as e:
        print("FAILED %s: %s" % (name, e), flush=True)
        return False
    except Exception:
        traceback.print_exc()
        print("FAILED %s: unexpected error" % name, flush=True)
        return False
    finally:
        signal.alarm(0)
    print("PASSED %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
    return True


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--run-dir", help="the built program folder (executable, picture library, Sounds/, Help/)")
    ap.add_argument("--shots", help="where screenshots go: <shots>/<test>/<name>.png")
    ap.add_argument("--build-dir", help="the build folder (for tests that install it); default: above --run-dir")
    ap.add_argument("--cmake", help="the cmake that made the build; default: the first on PATH")
    ap.add_argument("--list", action="store_true", help="print the test names and stop")
    ap.add_argument("--keep", action="store_true", help="keep the temporary folder for inspection")
    ap.add_argument("--deadline", type=int, default=DEFAULT_DEADLINE, help="seconds before a test is abandoned")
    ap.add_argument("names", nargs="*")
    args = ap.parse_args()

    tests = discover()
    if args.list:
        print("\n".join(sorted(tests)))
        return 0
    if not args.run_dir or not args.shots:
        ap.error("--run-dir and --shots are required")
    names = args.names or sorted(tests)
    unknown = [n for n in names if n not in tests]
    if unknown:
        ap.error("unknown test(s): %s (known: %s)" % (", ".join(unknown), ", ".join(sorted(tests))))

    for sig in (signal.SIGALRM, signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, _on_signal)

    passed = sum(run_one(n, tests[n], args) for n in names)
    failed = len(names) - passed
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
