"""At 200 % (QT_SCALE_FACTOR=2) the splash and a note keep their outline at their
logical size, and show the pictures drawn for twice the density rather than the
plain ones with their pixels doubled."""

import datetime
import os
import re

from harness import check
from records import alarm, days, write_store

SPLASH = "Brivane splash"
START_TIMEOUT = 20
SCALE = 2


def _picture(s, name):
    return os.path.join(s.build_dir, "resources", "library", "pictures", name + ".png")


def _size(s, path):
    import subprocess
    r = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True, timeout=20)
    check(r.returncode == 0, "identify failed on %s" % path)
    w, h = r.stdout.split()
    return int(w), int(h)


def _shape_extents(s, wid):
    """(width, height) of the window's bounding shape."""
    r = s.x("xwininfo", "-shape", "-id", wid, check_rc=True)
    m = re.search(r"(?:Bounding|Window) shape extents:\s*(\d+)x(\d+)", r.stdout)
    check(m is not None, "no bounding shape extents: %s" % r.stdout)
    return int(m.group(1)), int(m.group(2))


def _check_sharp(s, wid, shot, name, at_least):
    """The window shows name@2x, not name with its pixels doubled: where the two differ,
    most screenshot pixels match the picture drawn at twice the size."""
    lw, lh = _size(s, _picture(s, name))
    dense = s.region_pixels(_picture(s, name + "@2x"), 0, 0, lw * SCALE, lh * SCALE)
    plain = s.region_pixels(_picture(s, name), 0, 0, lw, lh)
    seen = s.region_pixels(shot, 0, 0, lw * SCALE, lh * SCALE)
    key = dense[-1]
    width = lw * SCALE

    def diff(a, b):
        return sum(abs(x - y) for x, y in zip(a, b))

    nearer_dense = nearer_plain = 0
    for y in range(1, lh * SCALE - 1):
        for x in range(1, width - 1):
            i = y * width + x
            if key in (dense[i], dense[i - 1], dense[i + 1], dense[i - width], dense[i + width]):
                continue  # outside, or at the outline the mask cuts
            doubled = plain[(y // SCALE) * lw + x // SCALE]
            if diff(dense[i], doubled) < 40:
                continue
            if diff(seen[i], dense[i]) < diff(seen[i], doubled):
                nearer_dense += 1
            else:
                nearer_plain += 1
    s.log("%s: %d pixels as drawn for the dense screen, %d as the doubled picture"
          % (name, nearer_dense, nearer_plain))
    check(nearer_dense >= at_least, "%s: too few pixels tell the pictures apart (%d)" % (name, nearer_dense))
    check(nearer_dense > 3 * nearer_plain,
          "%s shows the plain picture enlarged: %d pixels as drawn for the dense screen, %d doubled"
          % (name, nearer_dense, nearer_plain))


def _check_shaped_at_logical_size(s, wid, logical, what):
    _, _, width, height = s.geometry(wid)
    check((width, height) == (logical[0] * SCALE, logical[1] * SCALE),
          "%s is %dx%d on the screen, expected twice %dx%d" % ((what, width, height) + tuple(logical)))
    check(s.is_shaped(wid), "%s has no outline taken from its picture" % what)
    sw, sh = _shape_extents(s, wid)
    # The outline drops the shadow's fade and the rounded corners, never more.
    check(width * 0.9 <= sw <= width and height * 0.9 <= sh <= height,
          "%s's outline is %dx%d in a %dx%d window" % (what, sw, sh, width, height))


def test_dense_screen_pictures(s):
    due = days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    title = "Sharp note"
    write_store(s, [alarm(title, due, False)])
    s.write_ini("[Tasklist]\nFirstRun=0\n")
    p = s.start(env={"QT_SCALE_FACTOR": str(SCALE)})

    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    _check_shaped_at_logical_size(s, splash, (250, 175), "the splash")
    shot = s.painted_screenshot(splash, "splash_200", min_colours=64)
    _check_sharp(s, splash, shot, "SPL0", 1000)

    note = s.wait_window(title, timeout=START_TIMEOUT, proc=p)
    for sp in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(sp, timeout=10)
    _check_shaped_at_logical_size(s, note, (367, 243), "the note")
    shot = s.painted_screenshot(note, "note_200", min_colours=64)
    # The note's widgets cover most of it: its band, margin and corners remain.
    _check_sharp(s, note, shot, "NOTE", 30)
