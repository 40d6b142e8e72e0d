"""The tray front on a real X server: the hot keys grabbed on the root window,
a key another client holds, the notification area given by trayer, and the
program still reachable where there is none."""

import os
import signal
import time

from harness import check

START_TIMEOUT = 15
SPLASH = "Brivane splash"
WARNING = "Brivane - Warning"
REMINDERS = r"^Reminders  - "
OPENED = "Info: Reminders window opened"
SHOW_REQUEST = "Info: Show request from another copy, status 3"
NO_AREA = "Info: No notification area: the hot keys and starting the program again open its windows"


def _started(s, proc):
    splash = s.wait_window(SPLASH, timeout=START_TIMEOUT, proc=proc)
    s.wait_window_gone(splash, timeout=10)


def test_hot_keys_reach_the_program_without_a_notification_area(s):
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\n")
    p = s.start()
    _started(s, p)
    check(NO_AREA in (s.log_lines() or []), "no word of the missing notification area in the log")
    check(not s.find_windows(REMINDERS, pid=p.pid), "the Reminders window opened after the first run")
    s.press("ctrl+shift+l")
    s.wait_window(REMINDERS, timeout=5, proc=p, exact=False)
    s.press("ctrl+shift+t")
    s.wait_window("Add Reminder wizard", timeout=5, proc=p)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_a_hot_key_held_by_another_client_gives_the_warning(s):
    grabber = s.start("grabber", exe=os.environ["BRIVANE_E2E_GRAB_KEY"], args=["L"])
    deadline = time.monotonic() + 10
    while "grabbed" not in grabber.output():
        check(grabber.running(), "the key grabber ended: %s" % grabber.output())
        check(time.monotonic() < deadline, "the key grabber did not grab Ctrl+Shift+L")
        time.sleep(0.05)
    p = s.start()
    box = s.wait_window(WARNING, timeout=START_TIMEOUT, proc=p)
    for splash in s.find_windows("^%s$" % SPLASH):
        s.wait_window_gone(splash, timeout=10)  # it stays on top for its second and a half
    s.painted_screenshot(box, "hotkey_warning", min_colours=8)
    check(s.is_borderless(box), "the warning asks for a border")
    check(s.is_shaped(box), "the warning has no outline of its own")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_trayer_shows_the_icon(s):
    s.start_trayer()
    s.set_log_level(3)
    p = s.start()
    _started(s, p)
    check(NO_AREA not in (s.log_lines() or []), "the program found no notification area beside trayer")
    s.painted_screenshot("root", "tray_icon")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def _grab(s, letter, name):
    """Another client grabs Ctrl+Shift+letter; True once it holds it, False when the key is taken."""
    grabber = s.start(name, exe=os.environ["BRIVANE_E2E_GRAB_KEY"], args=[letter])
    deadline = time.monotonic() + 10
    while "grabbed" not in grabber.output():
        if not grabber.running():
            return False
        check(time.monotonic() < deadline, "the key grabber neither grabbed nor gave up")
        time.sleep(0.05)
    grabber.stop()
    return True


def test_a_changed_hot_key_releases_the_old_one(s):
    s.start_trayer()
    s.set_log_level(3)
    p = s.start()
    _started(s, p)
    check(not _grab(s, "T", "grab_t_before"), "another client could take Ctrl+Shift+T from the running program")

    # Preferences from the tray menu; on the General page the keyboard starts on
    # the first button, and one Tab on is the Add a Reminder key's list.
    s.open_tray_menu(p)
    s.press("Down", "Down", "Down", "Return")
    w = s.wait_window("Preferences", timeout=10, proc=p)
    s.focus(w)
    s.press("Tab", "r")
    deadline, tries = time.monotonic() + 10, 0
    while not _grab(s, "T", "grab_t_after_%d" % tries):
        check(time.monotonic() < deadline, "Ctrl+Shift+T stayed grabbed after the key was changed to R")
        tries += 1
        time.sleep(0.2)
    check(not _grab(s, "R", "grab_r"), "the new key Ctrl+Shift+R is not held by the program")
    s.press("Return")  # OK
    s.wait_window_gone(w, timeout=5)

    s.press("ctrl+shift+r")
    s.wait_window("Add Reminder wizard", timeout=5, proc=p)
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_a_status_notifier_tray_opens_the_window_on_a_click(s):
    """KDE Plasma, GNOME's AppIndicator and Xfce: the host reads the menu over
    D-Bus before it ever opens and reports a left click as Activate."""
    import datetime

    import records
    from session_bus import StatusNotifierTray

    tray = StatusNotifierTray(s)
    tomorrow = datetime.datetime.now() + datetime.timedelta(days=1)
    records.write_store(s, [records.alarm("Dentist", records.days(tomorrow.replace(hour=9, minute=0, second=0,
                                                                                  microsecond=0)), False)])
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\n")
    p = s.start(env=tray.env())
    service = tray.wait_item(timeout=START_TIMEOUT)
    s.log("item %s" % service)
    _started(s, p)
    check(NO_AREA not in (s.log_lines() or []), "the program found no notification area beside the watcher")

    labels = tray.menu_labels(service)
    check(labels == ["Add a Reminder...  (Ctrl+Shift+T)", "-", "Reminders...           (Ctrl+Shift+L)", "-",
                     "Preferences...", "About", "-", "Close Brivane"],
          "the menu a tray host reads first: %r" % labels)

    tip = tray.item_property(service, "ToolTip")
    text = "%s\n%s" % (tip[2], tip[3])
    s.log("menu %r, tooltip %r" % (labels, text))
    check("click to open the Reminders window" in text, "the tooltip says nothing of the click: %r" % text)
    if datetime.datetime.now().date() + datetime.timedelta(days=1) == tomorrow.date():  # not past midnight meanwhile
        check("Next: Dentist, tomorrow 09:00" in text, "the tooltip does not name the next reminder: %r" % text)

    # A host that asks for the menu instead of drawing it gets it shown.
    check(not s.find_windows(".*", pid=p.pid), "the program shows a window before any click")
    tray.context_menu(service)
    deadline = time.monotonic() + 5
    while not s.find_windows(".*", pid=p.pid):
        check(time.monotonic() < deadline, "ContextMenu showed no menu")
        time.sleep(0.05)
    menu = s.find_windows(".*", pid=p.pid)[0]
    s.painted_screenshot(menu, "status_notifier_menu", min_colours=3)
    s.press("Escape")
    s.wait_window_gone(menu, timeout=5)

    check(not s.find_windows(REMINDERS, pid=p.pid), "the Reminders window opened before the click")
    tray.activate(service)
    w = s.wait_window(REMINDERS, timeout=5, proc=p, exact=False)
    # A second click brings the same window forward rather than opening another.
    tray.activate(service)
    # A call answered after the click's: the click's handling is over by then.
    tray.item_property(service, "Id")
    check(s.find_windows(REMINDERS, pid=p.pid) == [w], "a second click opened another Reminders window")
    check((s.log_lines() or []).count(OPENED) == 1, "a second click made another Reminders window")
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)


def test_a_click_or_a_double_click_on_the_xembed_icon_opens_one_reminders_window(s):
    """trayer reports a click, and for a double click the click and then the double click."""
    s.start_trayer()
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\n")
    p = s.start()
    _started(s, p)
    wid, (x, y, width, height) = s.tray_icon(p)
    s.x("xdotool", "mousemove", "--sync", x + width // 2, y + height // 2, check_rc=True)
    s.x("xdotool", "click", "1", check_rc=True)
    w = s.wait_window(REMINDERS, timeout=5, proc=p, exact=False)
    s.focus(w)
    s.press("Escape")
    s.wait_window_gone(w, timeout=5)

    s.x("xdotool", "click", "--repeat", "2", "--delay", "80", "1", check_rc=True)
    s.wait_window(REMINDERS, timeout=5, proc=p, exact=False)
    # A second copy's request comes after both clicks: once it is handled, so are they
    # (the copy starts the log afresh, so the line can only be the running one's answer).
    again = s.start("again")
    again.expect_exit(0, timeout=START_TIMEOUT)
    s.wait_log_count(SHOW_REQUEST, 1, proc=p)
    shown = s.find_windows(REMINDERS, pid=p.pid)
    check(len(shown) == 1, "a double click left %d Reminders windows showing" % len(shown))
    p.send(signal.SIGTERM)
    p.expect_exit(0, timeout=10)
