"""E-mail alarms on the real program against a local SMTP server (Debian's
aiosmtpd on a free loopback port): the exact header lines, the envelope and
the recipients; a refused recipient and a dead port send nothing; a login goes
over STARTTLS with a certificate the test makes, is never sent when the
server offers TLS and then refuses it, and goes in clear only to a server that
offers no TLS at all; a server that never answers does not stop the program."""

import base64
import datetime
import email
import email.policy
import json
import os
import re
import socket
import struct
import subprocess
import time

from harness import check
import records
from records import DELIVERED, HAS_RUN, alarm, days, days_ago, mail_alarm, saved_record, write_store

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helper", "smtp_server.py")
START_TIMEOUT = 15
X_MAILER = "X-mailer: Palvaro - automatic ToDo reminders windows utility"


def _free_port():
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


class Smtp:
    def __init__(self, s, *options):
        self.port = _free_port()
        self.record_path = os.path.join(s.root, "smtp-%d.jsonl" % self.port)
        open(self.record_path, "w").close()
        self.proc = s.start("smtp", exe="/usr/bin/python3",
                            args=["-B", SERVER, str(self.port), self.record_path] + list(options))
        deadline = time.monotonic() + 15
        while "ready" not in self.proc.output():
            check(self.proc.running(), "the SMTP server ended: %s" % self.proc.output())
            check(time.monotonic() < deadline, "the SMTP server did not start")
            time.sleep(0.05)

    def entries(self):
        with open(self.record_path) as f:
            return [json.loads(line) for line in f if line.strip()]

    def messages(self):
        return [e for e in self.entries() if "mail_from" in e]


def _start(s, records, port, env=None, **prefs):
    path = write_store(s, records)
    s.write_ini("[Debug]\nLevel=3\n[Tasklist]\nFirstRun=0\n")
    settings = {"NeverShowSplash": 1, "Host": "127.0.0.1", "Port": port, "Fromaddress": "tester@example.org",
                "FromName": "Brivane Tester", "EmailSignature": "-- sent by Brivane",
                "MissedTasksTreatment": 1}  # missed one-time alarms count down from 1
    settings.update(prefs)
    s.write_prefs(**settings)
    return path, s.start(env=env)


def _wait_windows_closed(s, p):
    """The result stays 3.5 s before the e-mail windows close."""
    s.wait_until(lambda: not s.windows_of(p), "the e-mail windows closing", timeout=15, proc=p)


def _end(p):
    p.send(15)
    p.expect_exit(0, timeout=10)


def _content(message):
    data = base64.b64decode(message["data"])
    return data[:-2] if data.endswith(b"\r\n") else data


def _check_run(path, title, ran):
    r = saved_record(path, title)
    check(struct.unpack_from("<i", r, HAS_RUN)[0] == (1 if ran else 0), "%s: run count %d" %
          (title, struct.unpack_from("<i", r, HAS_RUN)[0]))
    check(r[DELIVERED] == 1, "%s was not completed" % title)


def _wait_messages(smtp, p, count, timeout=15):
    deadline = time.monotonic() + timeout
    while len(smtp.messages()) < count:
        check(p.running(), "the program ended (exit %s)" % p.returncode)
        check(time.monotonic() < deadline, "%d of %d messages arrived: %r" % (len(smtp.messages()), count,
                                                                             smtp.entries()))
        time.sleep(0.1)
    return smtp.messages()


def test_email_headers_envelope_and_recipients(s):
    smtp = Smtp(s)
    path, p = _start(s, [
        mail_alarm("Semicolons", days_ago(1), to="a@example.org;b@example.org", bcc="c@example.org",
                   notes1="Bring the card", notes2=" and the form"),
        mail_alarm("Cc only", days_ago(1), cc="cc@example.org"),
        mail_alarm("Named", days_ago(1), to="\"Jones, Bob\" <bob@example.org>"),
    ], smtp.port)
    messages = _wait_messages(smtp, p, 3)
    by_subject = {}
    for m in messages:
        lines = _content(m).decode("cp1252").split("\r\n")
        subject = [l for l in lines if l.startswith("Subject: ")]
        check(len(subject) == 1, "no single subject line in %r" % lines)
        by_subject[subject[0][len("Subject: "):]] = (m, lines)
    check(sorted(by_subject) == ["Cc only", "Named", "Semicolons"], "subjects %r" % sorted(by_subject))

    m, lines = by_subject["Semicolons"]
    check(m["mail_from"] == "tester@example.org", "envelope sender %r" % m["mail_from"])
    check(m["rcpt_tos"] == ["a@example.org", "b@example.org", "c@example.org"], "recipients %r" % m["rcpt_tos"])
    check(lines[0] == "From: Brivane Tester<tester@example.org>", "From line %r" % lines[0])
    check(lines[1] == "To: a@example.org,b@example.org,,c@example.org", "To line %r" % lines[1])
    date = re.match(r"^Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d{1,2} "
                    r"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d ([+-]\d{4})$", lines[2])
    check(date is not None, "Date line %r" % lines[2])
    check(date.group(3) == time.strftime("%z"), "zone %s, local %s" % (date.group(3), time.strftime("%z")))
    check(lines[3:] == ["Subject: Semicolons", X_MAILER, "", "Bring the card and the form", "",
                        "-- sent by Brivane"], "the rest reads %r" % lines[3:])

    m, lines = by_subject["Cc only"]
    check(m["rcpt_tos"] == ["cc@example.org"], "Cc only went to %r" % m["rcpt_tos"])
    check(lines[1] == "To: ,cc@example.org,", "To line %r" % lines[1])
    m, lines = by_subject["Named"]
    check(m["rcpt_tos"] == ["bob@example.org"], "the named recipient became %r" % m["rcpt_tos"])
    check(lines[1] == "To: \"Jones, Bob\" <bob@example.org>,,", "To line %r" % lines[1])
    check(not any(e.get("auth") for e in smtp.entries()), "a login without one being set")

    _wait_windows_closed(s, p)
    _end(p)
    for title in ("Semicolons", "Cc only", "Named"):
        _check_run(path, title, True)


def test_email_refused_recipient_sends_nothing(s):
    smtp = Smtp(s, "--refuse", "nobody@example.org")
    path, p = _start(s, [mail_alarm("Refused", days_ago(1), to="ok@example.org,nobody@example.org")], smtp.port)
    s.wait_log_line(lambda l: "E-mail not sent" in l, timeout=START_TIMEOUT, proc=p)
    check(smtp.messages() == [], "a message went out: %r" % smtp.messages())
    check({"refused": "nobody@example.org"} in smtp.entries(), "the refusal was not reached: %r" % smtp.entries())
    _wait_windows_closed(s, p)
    _end(p)
    _check_run(path, "Refused", False)


def test_email_dead_port_sends_nothing(s):
    path, p = _start(s, [mail_alarm("Nobody home", days_ago(1), to="a@example.org")], _free_port())
    s.wait_log_line(lambda l: "E-mail not sent" in l, timeout=START_TIMEOUT, proc=p)
    _wait_windows_closed(s, p)
    _end(p)
    _check_run(path, "Nobody home", False)


def _certificate(s):
    cert = os.path.join(s.root, "cert.pem")
    key = os.path.join(s.root, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, capture_output=True, timeout=60)
    return cert, key


def test_email_login_over_starttls(s):
    cert, key = _certificate(s)
    smtp = Smtp(s, "--auth", "tester:pa55word", "--tls", cert, key)
    # The test's certificate stands in for the system's trusted authorities.
    path, p = _start(s, [mail_alarm("Secure", days_ago(1), to="a@example.org")], smtp.port,
                     env={"SSL_CERT_FILE": cert}, SMTPRequiresAuthentication=1, UserID="tester",
                     Password="pa55word")
    messages = _wait_messages(smtp, p, 1)
    logins = [e for e in smtp.entries() if "auth" in e]
    check(logins == [{"auth": "tester", "password_ok": True, "tls": True}], "logins %r" % logins)
    check(messages[0]["tls"], "the message went in clear")
    _wait_windows_closed(s, p)
    _end(p)
    _check_run(path, "Secure", True)


def test_email_no_password_before_tls(s):
    cert, key = _certificate(s)
    # STARTTLS offered, then refused: the login must not follow in clear.
    refusing = Smtp(s, "--auth", "tester:pa55word", "--tls", cert, key, "--refuse-tls")
    path, p = _start(s, [mail_alarm("Guarded", days_ago(1), to="a@example.org")], refusing.port,
                     env={"SSL_CERT_FILE": cert}, SMTPRequiresAuthentication=1, UserID="tester",
                     Password="pa55word")
    s.wait_log_line(lambda l: "E-mail not sent" in l, timeout=START_TIMEOUT, proc=p)
    entries = refusing.entries()
    check({"starttls": "refused"} in entries, "STARTTLS was not tried: %r" % entries)
    check(not any("auth" in e for e in entries), "the login was sent in clear: %r" % entries)
    check(refusing.messages() == [], "a message went out")
    _wait_windows_closed(s, p)
    _end(p)
    _check_run(path, "Guarded", False)


def test_email_login_in_clear_only_without_any_tls(s):
    smtp = Smtp(s, "--auth", "tester:pa55word")
    path, p = _start(s, [mail_alarm("Plain", days_ago(1), to="a@example.org")], smtp.port,
                     SMTPRequiresAuthentication=1, UserID="tester", Password="pa55word")
    _wait_messages(smtp, p, 1)
    logins = [e for e in smtp.entries() if "auth" in e]
    check(logins == [{"auth": "tester", "password_ok": True, "tls": False}], "logins %r" % logins)
    _wait_windows_closed(s, p)
    _end(p)
    _check_run(path, "Plain", True)


def test_email_silent_server_does_not_stop_the_program(s):
    smtp = Smtp(s, "--silent")
    soon = days(datetime.datetime.now() + datetime.timedelta(seconds=5))
    path, p = _start(s, [mail_alarm("Stuck", days_ago(1), to="a@example.org"), alarm("Tea", soon, daily=False)],
                     smtp.port)
    mail_window = s.wait_window("Stuck", timeout=START_TIMEOUT, proc=p)
    deadline = time.monotonic() + 10
    while not smtp.entries():
        check(time.monotonic() < deadline, "the program did not connect")
        time.sleep(0.1)
    s.painted_screenshot(mail_window, "sending", min_colours=16)
    # The first regular pass comes half a minute after the start, while the
    # server still says nothing.
    note = s.wait_window("Tea", timeout=40, proc=p)
    check(s.is_viewable(mail_window), "the e-mail window gave up before its time")
    s.painted_screenshot(note, "note_while_sending", min_colours=16)
    _end(p)  # ends at once, the open exchange with it


def _utf8_text(r, offset, value):
    data = value.encode("utf-8")
    r[offset] = len(data)
    r[offset + 1:offset + 1 + len(data)] = data


def _mail_as_typed(s, title, from_name, notes1, notes2, signature, encoding):
    """One e-mail alarm whose texts are stored in the given encoding; what
    arrives must read, through Python's e-mail parser, exactly as typed."""
    smtp = Smtp(s)
    r = bytearray(mail_alarm("x", days_ago(1), to="a@example.org"))
    put = _utf8_text if encoding == "utf-8" else records.text
    put(r, records.TITLE, title)
    put(r, records.NOTES1, notes1)
    put(r, records.NOTES2, notes2)
    _, p = _start(s, [bytes(r)], smtp.port, FromName=from_name, EmailSignature=signature)
    m = _wait_messages(smtp, p, 1)[0]
    data = _content(m)
    check(all(b < 0x80 for b in data), "raw 8-bit bytes in %r" % data)
    head = data.split(b"\r\n\r\n", 1)[0].decode("ascii").split("\r\n")
    for line in ("MIME-Version: 1.0", "Content-Type: text/plain; charset=UTF-8",
                 "Content-Transfer-Encoding: quoted-printable"):
        check(line in head, "no %r among the headers %r" % (line, head))
    check(all(len(l) <= 78 for l in head), "an over-long header line in %r" % head)
    msg = email.message_from_bytes(data, policy=email.policy.default)
    check(str(msg["subject"]) == title, "subject %r, typed %r" % (str(msg["subject"]), title))
    sender = msg["from"].addresses[0]
    check(sender.display_name == from_name and sender.addr_spec == "tester@example.org",
          "from %r <%r>" % (sender.display_name, sender.addr_spec))
    body = msg.get_content().replace("\r\n", "\n").rstrip("\n")
    expected = notes1 + notes2 + "\n\n" + signature
    check(body == expected, "body %r, typed %r" % (body, expected))
    _wait_windows_closed(s, p)
    _end(p)


def test_email_in_the_old_code_page_arrives_as_typed(s):
    _mail_as_typed(s, "Caf\u00e9 at 10 \u2014 bring \u20ac5 \u00bd", "Zo\u00eb Bront\u00eb",
                   "Cr\u00e8me br\u00fbl\u00e9e\u2026 = 100% ", "\u00f7 na\u00efve", "-- Zo\u00eb",
                   encoding="cp1252")


def test_email_in_any_script_arrives_as_typed(s):
    _mail_as_typed(s, "Zadzwo\u0144 do mamy \u2014 \u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c \u2713 "
                   "\U0001f382",
                   "\u0141ucja \u017bak \u03a9\u03bc\u03ad\u03b3\u03b1",
                   "Zadzwo\u0144 do mamy: \u041f\u0440\u0438\u0432\u0435\u0442! \u65e5\u672c\u8a9e\u306e"
                   "\u30c6\u30ad\u30b9\u30c8 \U0001f382\U0001f389 ",
                   "\u017c\u00f3\u0142\u0107", "-- \u0141ucja \u65e5\u672c", encoding="utf-8")
