"""A sound-only reminder that fell due while the program was not running plays
at the start through the real sound player. The test machine has no sound
server: the player must say so in the log, once, and the program must go on,
reschedule the reminder and end in order."""

import datetime
import os
import signal
import struct

from harness import check
from records import (ACTION_COUNT, DELIVERED, EVENT, IN_SERVICE, LAST_RUN, NEW_SCHEDULE, ONE_MS, POPUP_NOTE,
                     SCHEDULED, alarm, days, saved_record, text, write_store)

START_TIMEOUT = 15
PLAY_SOUND, SOUND_FILE = 610, 615
PLAYER_WARNING = "Warning: Sound: cannot play "


def _sound_only(title, due, sound_file):
    r = bytearray(alarm(title, due, daily=True))
    r[POPUP_NOTE] = 0
    r[PLAY_SOUND] = 1
    text(r, SOUND_FILE, sound_file)
    return bytes(r)


def _fire_sound(s, title, sound_file, warning):
    """Start with a daily sound-only reminder due a minute ago; wait for the
    player's warning (a predicate on a log line), end by SIGTERM; return
    (due, log lines, saved record)."""
    s.set_log_level(3)
    due = days(datetime.datetime.now() - datetime.timedelta(minutes=1))
    path = write_store(s, [_sound_only(title, due, sound_file)])
    p = s.start()

    s.wait_log_line(warning, timeout=START_TIMEOUT, proc=p)
    check(p.running(), "the program ended after the sound (exit %s)" % p.returncode)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)

    lines = s.log_lines() or []
    warnings = [line for line in lines if line.startswith("Warning: Sound:")]
    check(len(warnings) == 1 and warning(warnings[0]), "player warnings %r, expected one" % warnings)
    return due, lines, saved_record(path, title)


def _check_rescheduled(due, r):
    event = struct.unpack_from("<d", r, EVENT)[0]
    scheduled = struct.unpack_from("<d", r, SCHEDULED)[0]
    last_run = struct.unpack_from("<d", r, LAST_RUN)[0]
    check(abs(event - (due + 1)) < ONE_MS, "event moved to %.8f, expected a day after %.8f" % (event, due))
    check(abs(scheduled - event) < ONE_MS, "scheduled %.8f, expected the new event %.8f" % (scheduled, event))
    check(last_run > due, "last run %.8f not after the due time %.8f" % (last_run, due))
    check(r[NEW_SCHEDULE] != 0, "the reminder was saved without its new schedule mark")
    check(r[DELIVERED] == 0, "a daily reminder was marked delivered")
    check(r[IN_SERVICE] == 0, "the reminder was saved as still in service")
    check(struct.unpack_from("<i", r, ACTION_COUNT)[0] == 0, "the reminder was saved with open action windows")


def test_sound_only_reminder_without_sound_server(s):
    wav = os.path.join(s.prog_dir, "Sounds", "reminder.wav")
    check(os.path.getsize(wav) > 44, "the run folder has no reminder sound %s" % wav)
    prefix = PLAYER_WARNING + wav + ": "
    due, lines, r = _fire_sound(s, "Take the pills", "reminder.wav",
                                lambda line: line.startswith(prefix) and len(line) > len(prefix))
    check(not any(line.startswith("Error:") for line in lines), "errors logged: %r" % lines)
    _check_rescheduled(due, r)


def test_sound_only_reminder_with_missing_file(s):
    # A missing file is never handed to the player: the default sound plays instead.
    wanted = PLAYER_WARNING + "the default sound: "
    due, lines, r = _fire_sound(s, "Feed the cat", "no-such-sound.wav",
                                lambda line: line.startswith(wanted) and line.endswith("; using the X bell"))
    check(not any("no-such-sound" in line for line in lines), "the missing file reached the player: %r" % lines)
    check(not any(line.startswith("Error:") for line in lines), "errors logged: %r" % lines)
    _check_rescheduled(due, r)
