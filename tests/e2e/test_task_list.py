"""The Reminders window on a real X server: opened by the hot key, the tray
menu and a second copy, its four view styles, its keys, and a reminder saved
to a task file and imported again."""

import datetime
import os
import signal
import time

import records
from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WINDOW = r"^Reminders  - "
NO_AREA = "Info: No notification area: the hot keys and starting the program again open its windows"


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def _ini(s, **tasklist):
    lines = ["[Debug]", "Level=3", "[Tasklist]", "FirstRun=0"]
    lines += ["%s=%s" % kv for kv in tasklist.items()]
    s.write_ini("\n".join(lines) + "\n")


def _dozen(now):
    """Twelve reminders of several kinds and states around now."""
    at = lambda days_ahead, hour: records.days(now.replace(hour=hour, minute=0, second=0, microsecond=0)
                                               + datetime.timedelta(days=days_ahead))
    out = []
    for i, (title, when, daily) in enumerate([
            ("Dentist", at(1, 9), False), ("Water the plants", at(1, 18), True), ("Pay the rent", at(3, 8), False),
            ("Call mother", at(0, 23), True), ("Team meeting", at(2, 10), True), ("Passport renewal", at(30, 9), False),
            ("Take the bins out", at(1, 7), True), ("Gym", at(4, 17), True), ("Car service", at(12, 8), False),
            ("Birthday: Anna", at(5, 9), False), ("Backup photos", at(6, 20), True), ("Read a book", at(1, 21), True)]):
        r = bytearray(records.alarm(title, when, daily))
        if i == 4:
            r[records.ENABLED] = 0  # one suspended
        if i == 8:
            r[records.DELIVERED] = 1
        out.append(bytes(r))
    return out


def _open_with_hot_key(s, p):
    s.x("xdotool", "key", "--clearmodifiers", "ctrl+shift+l", check_rc=True)
    return s.wait_window(WINDOW, timeout=10, proc=p, exact=False)


def test_hot_key_opens_the_reminders_window_in_each_view_style(s):
    store = records.write_store(s, _dozen(datetime.datetime.now()))
    _ini(s, Style=0, TaskFilter=4, SortBy=0, Ascending=1)
    p = s.start()
    _started(s, p)
    w = _open_with_hot_key(s, p)
    s.focus(w)
    for style, name in enumerate(["large_icons", "small_icons", "list", "details"]):
        s.painted_screenshot(w, "reminders_%d_%s" % (style, name), min_colours=16)
        s.press_and_wait_change(w, "F6")
    # Back at Large Icons; the style cycle wrote nothing yet.
    s.press("F7")  # All -> Completed
    s.press("F8")  # by Title -> by Next Run date, same direction
    s.press("F7")  # Completed -> Today
    s.press("Insert")
    wizard = s.wait_window("Add Reminder wizard", timeout=5, proc=p)
    s.focus(wizard)
    s.press("Escape")  # Cancel: nothing added
    s.wait_window_gone(wizard, timeout=5)
    s.focus(w)
    s.press("Escape")
    s.wait_window_gone(w, timeout=5)
    check(s.ini_value("Tasklist", "Style") == "0", "Style %r after four F6" % s.ini_value("Tasklist", "Style"))
    check(s.ini_value("Tasklist", "TaskFilter") == "1", "TaskFilter %r" % s.ini_value("Tasklist", "TaskFilter"))
    check(s.ini_value("Tasklist", "SortBy") == "1", "SortBy %r" % s.ini_value("Tasklist", "SortBy"))
    check(s.ini_value("Tasklist", "Ascending") == "1", "F8 turned the direction")
    check(s.ini_value("Tasklist", "FirstRun") == "0", "FirstRun not 0 after closing")

    # Delete the first reminder of the list, whichever it is now.
    dozen = set(records.saved_records(store))
    w = _open_with_hot_key(s, p)
    s.focus(w)
    s.press("F7", "F7", "F7")  # Today -> Tomorrow -> Next five -> All
    s.press("Home", "Down")
    s.press("Delete")
    box = s.wait_window("Brivane", timeout=5, proc=p)
    s.painted_screenshot(box, "delete_question")
    s.key(box, "Return")  # Yes is the default button
    deadline = time.monotonic() + 10
    while len(dozen & set(records.saved_records(store))) == 12:
        check(time.monotonic() < deadline, "the deleted reminder is still in the store")
        time.sleep(0.1)
    check(len(dozen & set(records.saved_records(store))) == 11, "the store lost more than the deleted reminder")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_second_copy_opens_the_reminders_window_without_a_notification_area(s):
    _ini(s)
    p = s.start()
    _started(s, p)
    check(NO_AREA in (s.log_lines() or []), "a notification area was found where there is none")
    second = s.start("second")
    second.expect_exit(0, timeout=START_TIMEOUT)
    w = s.wait_window(WINDOW, timeout=10, proc=p, exact=False)
    s.painted_screenshot(w, "opened_by_second_copy", min_colours=8)
    # Again: the open window comes to the front, no second one.
    again = s.start("again")
    again.expect_exit(0, timeout=START_TIMEOUT)
    # Each copy starts the log afresh: the line left is the one for this request.
    s.wait_log_count("Info: Show request from another copy, status 3", 1, proc=p)
    check(len(s.find_windows(WINDOW, pid=p.pid)) == 1, "a second Reminders window opened")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_first_start_opens_the_reminders_window_and_the_tray_menu_reopens_it(s):
    s.start_trayer()
    s.set_log_level(3, first_run=True)
    p = s.start()
    w = s.wait_window(WINDOW, timeout=START_TIMEOUT, proc=p, exact=False)
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)
    s.focus(w)
    s.press("Escape")
    s.wait_window_gone(w, timeout=5)
    check(s.ini_value("Tasklist", "FirstRun") == "0", "closing the first window did not end the first run")
    s.open_tray_menu(p)
    s.painted_screenshot("root", "tray_menu")
    s.press("Down", "Down", "Return")  # Add a Reminder, (separator), Reminders...
    w = s.wait_window(WINDOW, timeout=10, proc=p, exact=False)
    s.painted_screenshot(w, "opened_from_tray_menu", min_colours=8)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def _file_dialog(s, p, title, path):
    d = s.wait_window(title, timeout=10, proc=p)
    s.focus(d)
    s.painted_screenshot(d, title.replace(" ", "_").lower(), min_colours=8)
    s.press("ctrl+a")
    s.x("xdotool", "type", "--delay", "20", path, check_rc=True)
    # The name box's completer may take the first Return for itself.
    for attempt in range(3):
        s.press("Return")
        deadline = time.monotonic() + 2
        while s.is_viewable(d) and time.monotonic() < deadline:
            time.sleep(0.05)
        if not s.is_viewable(d):
            return
    check(False, "the %s dialog did not take the file name" % title)


def _answer_box(s, p, text_title="Brivane"):
    box = s.wait_window(text_title, timeout=10, proc=p)
    # Through the keyboard focus, not sent to the box's window: a Return sent
    # that way also reached the Reminders window once the box had closed, and
    # opened the selected reminder there.
    s.focus(box)
    s.press("Return")
    s.wait_window_gone(box, timeout=5)


def test_save_as_then_import_round_trips_a_reminder_byte_for_byte(s):
    now = datetime.datetime.now()
    original = records.alarm("Renew insurance", records.days(now + datetime.timedelta(days=20)), False)
    store = records.write_store(s, [original])
    _ini(s, Style=3, TaskFilter=4, SortBy=0, Ascending=1)
    p = s.start()
    _started(s, p)
    w = _open_with_hot_key(s, p)
    s.focus(w)
    s.press("Home", "Down")  # the reminder (the backup reminder is not listed)
    s.x("xdotool", "mousemove", "--window", w, 20, 8, "click", "1", check_rc=True)  # the File menu
    s.wait_popup(p, w)
    # File menu: Add, Delete, Enable, Run now, Properties, Import, Save as.
    s.press(*(["Down"] * 7), "Return")
    exported = os.path.join(s.home, "insurance.tsk")
    _file_dialog(s, p, "Save Task as", exported)
    _answer_box(s, p)
    data = open(exported, "rb").read()
    check(data == records.HEADER + original, "the task file is not the reminder's store element")

    s.focus(w)
    s.press("ctrl+i")
    _file_dialog(s, p, "Import task", exported)
    _answer_box(s, p)

    deadline = time.monotonic() + 10
    while True:
        with open(store, "rb") as f:
            stored = f.read()
        if stored.count(original) == 2:
            break
        check(time.monotonic() < deadline, "the imported reminder is not in the store byte for byte")
        time.sleep(0.1)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_f10_and_alt_f_open_the_file_menu_and_its_letters_work(s):
    _ini(s, Style=3, TaskFilter=4)
    p = s.start()
    _started(s, p)
    w = _open_with_hot_key(s, p)
    s.focus(w)
    s.press("F10")
    menu = s.wait_popup(p, w, timeout=5)
    s.painted_screenshot(menu, "file_menu_from_f10", min_colours=4)
    s.press("Escape", "Escape")
    s.wait_window_gone(menu, timeout=5)
    s.focus(w)
    s.press("alt+f")
    menu = s.wait_popup(p, w, timeout=5)
    # C is "Close Brivane": the program ends in order.
    s.press("c")
    p.expect_exit(0, timeout=10)
