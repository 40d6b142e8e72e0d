"""The full-moon notice's place in a run: a notice that an earlier run saved is
removed at start, before the hidden window comes up, and the notice of this
run (when a full moon is near) is removed before the last save, so the store
written at the end holds none. Whether this run has a notice of its own
depends on the day; the checks hold either way."""

import signal
import struct

from harness import check
from records import ENABLED, SCHEDULED, TASKKIND, alarm, days_ago, saved_records, text, TITLE, write_store

SPLASH = "Brivane splash"
START_TIMEOUT = 15
TAG, SPECIAL_FORM, PLAY_SOUND = 20, 1851, 610
SERVICE, TAG_FULLMOON = 3, -10


def _stale_notice():
    r = bytearray(1888)
    r[TASKKIND] = SERVICE
    struct.pack_into("<i", r, TAG, TAG_FULLMOON)
    struct.pack_into("<d", r, SCHEDULED, days_ago(60 * 24 * 20))
    text(r, TITLE, 'Full moon tonight!- "Cold Moon"')
    r[SPECIAL_FORM] = 1
    r[PLAY_SOUND] = 1
    r[ENABLED] = 0
    return bytes(r)


def test_full_moon_notice_of_an_earlier_run_is_removed_and_none_is_saved_at_the_end(s):
    s.set_log_level(3)
    path = write_store(s, [alarm("Kept", days_ago(-60 * 24 * 30), daily=False), _stale_notice()])
    p = s.start()
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=p)
    s.wait_window_gone(splash, timeout=10)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)

    tags = sorted(struct.unpack_from("<i", r, TAG)[0] for r in saved_records(path).values())
    check(TAG_FULLMOON not in tags, "the store saved at the end holds a full-moon notice (tags %r)" % tags)
    check("Kept" in saved_records(path), "the user's reminder was lost")

    lines = s.log_lines() or []
    deleted = [i for i, line in enumerate(lines) if line == "Info: Full moon task found and deleted."]
    added = [line for line in lines if line.startswith("Info: Full moon task added. ")]
    check("Info: Initialize InitFullMoons" in lines and "Info: Initialize hiddenfrm" in lines,
          "start-up lines missing from %r" % lines)
    init, hidden = lines.index("Info: Initialize InitFullMoons"), lines.index("Info: Initialize hiddenfrm")
    check(deleted and init < deleted[0] < hidden, "the saved notice was not removed at start: %r" % lines)
    # This run's own notice, if the day had one, goes at the end before the last save.
    check(len(deleted) == 1 + len(added), "%d removals for %d notices added" % (len(deleted), len(added)))
    if added:
        saves = [i for i, line in enumerate(lines) if line.startswith("Info: Tasklist Saved at ")]
        check(saves and deleted[-1] < saves[-1], "this run's notice was removed after the last save")
