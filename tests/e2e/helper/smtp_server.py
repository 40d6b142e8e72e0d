"""A local SMTP server for the end-to-end tests (Debian's aiosmtpd). Every
accepted message and every login is written as one JSON line to a record
file. Usage:

  smtp_server.py <port> <record file> [--auth USER:PASSWORD] [--tls CERT KEY]
                 [--refuse-tls] [--refuse ADDRESS] [--silent]

--tls offers STARTTLS with the certificate; --refuse-tls offers it but answers
every STARTTLS with 454; --silent accepts connections and never says a word.
"""

import asyncio
import base64
import json
import socket
import ssl
import sys
import time

args = sys.argv[1:]
PORT = int(args[0])
RECORD = args[1]
opts = args[2:]


def opt(name, count=1):
    if name not in opts:
        return None
    i = opts.index(name)
    return opts[i + 1:i + 1 + count] if count > 1 else (opts[i + 1] if count == 1 else True)


def record(entry):
    with open(RECORD, "a") as f:
        f.write(json.dumps(entry) + "\n")


if opt("--silent", 0):
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", PORT))
    server.listen(8)
    print("ready", flush=True)
    held = []
    deadline = time.monotonic() + 120  # ends by itself
    server.settimeout(1)
    while time.monotonic() < deadline:
        try:
            conn, _ = server.accept()
            held.append(conn)
            record({"connected": True})
        except socket.timeout:
            pass
    sys.exit(0)

from aiosmtpd.controller import Controller  # noqa: E402
from aiosmtpd.smtp import SMTP, AuthResult  # noqa: E402

auth = opt("--auth")
refuse = opt("--refuse")
tls = opt("--tls", 2)


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if refuse and address.lower() == refuse.lower():
            record({"refused": address})
            return "550 5.1.1 No such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        record({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                "data": base64.b64encode(envelope.original_content).decode(),
                "tls": session.ssl is not None, "login": session.login_data is not None})
        return "250 OK"


def authenticator(server, session, envelope, mechanism, auth_data):
    user = auth_data.login.decode()
    password = auth_data.password.decode()
    record({"auth": user, "password_ok": auth is not None and "%s:%s" % (user, password) == auth,
            "tls": session.ssl is not None})
    if auth is not None and "%s:%s" % (user, password) == auth:
        return AuthResult(success=True)
    return AuthResult(success=False, handled=False)


class RefusingTls(SMTP):
    async def smtp_STARTTLS(self, arg):
        record({"starttls": "refused"})
        await self.push("454 4.7.0 TLS not available now")


context = None
if tls:
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(tls[0], tls[1])

kwargs = dict(hostname="127.0.0.1", port=PORT, server_hostname="test.invalid",
              auth_require_tls=False, authenticator=authenticator if auth else None,
              auth_required=auth is not None, tls_context=context, require_starttls=False)


class RefusingController(Controller):
    def factory(self):
        return RefusingTls(self.handler, **self.SMTP_kwargs)


cls = RefusingController if opt("--refuse-tls", 0) else Controller
controller = cls(Handler(), **kwargs)
controller.start()
print("ready", flush=True)
try:
    time.sleep(120)  # ends by itself
finally:
    controller.stop()
