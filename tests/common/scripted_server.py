#!/usr/bin/env python3
"""A scripted HTTP server for the link tests: it gives replies the real data
server never gives (error statuses, carriage returns inside lines, "ERROR:"
on the first line, a last line without line feed) and echoes raw requests.

Usage: scripted_server.py ADDRESS -- COMMAND [ARGS...]

Serves on ADDRESS port 80 while COMMAND runs, with TARVEX_SCRIPTED_ADDRESS
set to ADDRESS, then stops and exits with COMMAND's status.

POST /norda/dbcommit.php: the body's first word after "sql=BEGIN;" (ended by
";" or a space) names the reply in REPLIES; "echo" answers "OK" and then the
whole raw request, hex-encoded, on one line. The programs' own statements
start with SELECT or INSERT: a sign-in SELECT takes the reply named by its
user ID ("account" signs one subscriber in), every other one the reply of
its first word (every INSERT into the usage ledger fails).
GET /files/<name>: the bytes of FILES[name], or status 404.
"""
import os
import socket
import socketserver
import subprocess
import sys
import threading

PORT = 80
HEAD_LIMIT = 64 * 1024
BODY_LIMIT = 4 * 1024 * 1024
BODY_START = b"sql=BEGIN;"

BIG_ROW_COUNT = 20000


def big_reply():
    rows = b"".join(b"%05d,%d,-%d\r\n" % (n % 100000, n, n) for n in range(BIG_ROW_COUNT))
    return b"OK\r\n" + rows + b";\r\n"


# name -> (status, body)
REPLIES = {
    "single": (200, b"OK\n"),
    "rows": (200, b"OK\na,b\n;\n;x\n\nc\n;\n"),
    "status404": (404, b"OK\nrow\n"),
    "status500": (500, b"OK\nrow\n"),
    "crlf": (200, b"OK\r\nab\rcd\r\n\r\nlast\r\n"),
    "errorfirst": (200, b"ERROR: no such table\nrow\n"),
    "errorlater": (200, b"OK\nr1\nr2\nx ERROR: failed\nr3\n;\n"),
    "nolf": (200, b"OK\nfirst\nlast"),
    "empty": (200, b""),
    # "表" in Shift-JIS ends in 0x5C, a backslash byte; it must arrive as is.
    "shiftjis": (200, b"OK\n12345,\x95\x5c\x8e\xa6\n"),
    "big": (200, big_reply()),
    "account": (200, b"OK\n10001\n;\n"),
    "INSERT": (200, b"ERROR: the ledger takes no rows\n"),
}

SIGN_IN_START = b"SELECT client_no FROM client_mt WHERE user_id = '"

# 5,000 bytes holding every byte value, line ends and 0x1A among them.
FILES = {
    "block.bin": bytes((n * 7 + n // 256) % 256 for n in range(5000)),
}

REASONS = {200: b"OK", 404: b"Not Found", 500: b"Internal Server Error", 400: b"Bad Request"}


def read_request(connection):
    """Returns (raw request bytes, request line, body) or None when cut short."""
    data = b""
    while b"\r\n\r\n" not in data:
        if len(data) > HEAD_LIMIT:
            return None
        piece = connection.recv(65536)
        if not piece:
            return None
        data += piece
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.split(b"\r\n")
    length = 0
    for line in lines[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    if length > BODY_LIMIT:
        return None
    while len(body) < length:
        piece = connection.recv(65536)
        if not piece:
            return None
        body += piece
    return head + b"\r\n\r\n" + body, lines[0], body


def scenario_reply(raw, body):
    if not body.startswith(BODY_START):
        return 400, b"ERROR: no sql field\n"
    rest = body[len(BODY_START):]
    if rest.startswith(SIGN_IN_START):
        rest = rest[len(SIGN_IN_START):].split(b"'", 1)[0]
    name = rest.replace(b" ", b";").split(b";", 1)[0].decode("ascii", "replace")
    if name == "echo":
        return 200, b"OK\n" + raw.hex().encode("ascii") + b"\n"
    return REPLIES.get(name, (200, b"ERROR: unknown scenario " + name.encode() + b"\n"))


def reply_for(raw, request_line, body):
    parts = request_line.split(b" ")
    if len(parts) != 3:
        return 400, b""
    method, path = parts[0], parts[1]
    if method == b"POST" and path == b"/norda/dbcommit.php":
        return scenario_reply(raw, body)
    if method == b"GET" and path.startswith(b"/files/"):
        name = path[len(b"/files/"):].decode("ascii", "replace")
        if name in FILES:
            return 200, FILES[name]
    return 404, b"<html><body>not found</body></html>\n"


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.request.settimeout(10)
        try:
            request = read_request(self.request)
        except (OSError, ValueError):
            return
        if request is None:
            return
        status, body = reply_for(*request)
        head = (b"HTTP/1.1 %d %s\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n"
                b"Connection: close\r\n\r\n" % (status, REASONS.get(status, b"Status"), len(body)))
        self.request.sendall(head + body)
        self.request.shutdown(socket.SHUT_WR)


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main(argv):
    if len(argv) < 4 or argv[2] != "--":
        sys.stderr.write(__doc__)
        return 2
    address, command = argv[1], argv[3:]
    server = Server((address, PORT), Handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        environment = dict(os.environ, TARVEX_SCRIPTED_ADDRESS=address)
        return subprocess.call(command, env=environment)
    finally:
        server.shutdown()
        server.server_close()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
