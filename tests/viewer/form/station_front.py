#!/usr/bin/env python3
"""A front before the reference server for the viewer's retrieval tests: it
passes every request on, logs when each begins and ends, and can be told to
fail one station's statement or to hold replies back. A second address
accepts connections and never answers.

Usage: station_front.py FRONT_ADDRESS SILENT_ADDRESS -- COMMAND [ARGS...]

Serves on FRONT_ADDRESS port 80 (passing requests to the server on
TARVEX_SERVER_ADDRESS port 80, tools/harness/with_server.sh) and keeps
SILENT_ADDRESS port 80 accepting while COMMAND runs, with
TARVEX_FRONT_LOG and TARVEX_FRONT_SCRIPT exported, then stops and exits
with COMMAND's status.

The log holds one line per event, in the order they happened:
"begin KIND" when a request has arrived and "end KIND" when its reply has
gone out, KIND being "sign-in", "usage" or "station NUMBER".

The script file, read at every request, holds lines "fail NUMBER" (that
station's statement is answered with "ERROR:") and "delay SECONDS" (every
station's reply is held back that long).
"""
import http.client
import http.server
import os
import re
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

PORT = 80
STATION = re.compile(rb"sChiten = (\d+)")
FAILED_REPLY = b"ERROR: the front refuses this station\n"


def kind_of(body):
    if b"INSERT INTO fee_history_dt" in body:
        return "usage"
    match = STATION.search(body)
    if match:
        return "station " + match.group(1).decode()
    return "sign-in"


class Front:
    def __init__(self, server, log_path, script_path):
        self.server = server
        self.log_path = log_path
        self.script_path = script_path
        self.lock = threading.Lock()

    def log(self, line):
        with self.lock, open(self.log_path, "a") as log:
            log.write(line + "\n")

    def script(self):
        failing, delay = set(), 0.0
        try:
            with open(self.script_path) as script:
                for line in script:
                    words = line.split()
                    if len(words) == 2 and words[0] == "fail":
                        failing.add(words[1])
                    elif len(words) == 2 and words[0] == "delay":
                        delay = float(words[1])
        except FileNotFoundError:
            pass
        return failing, delay

    def answer(self, body):
        kind = kind_of(body)
        self.log("begin " + kind)
        failing, delay = self.script()
        if kind.startswith("station "):
            time.sleep(delay)
            if kind.split()[1] in failing:
                return kind, 200, FAILED_REPLY
        connection = http.client.HTTPConnection(self.server, PORT, timeout=60)
        connection.request("POST", "/norda/dbcommit.php", body,
                           {"Content-Type": "application/x-www-form-urlencoded"})
        reply = connection.getresponse()
        data = reply.read()
        connection.close()
        return kind, reply.status, data


def handler_for(front):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            kind, status, data = front.answer(body)
            self.send_response(status)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
            self.wfile.flush()
            front.log("end " + kind)

        def log_message(self, *args):
            pass

    return Handler


class ThreadingServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def hold_silently(address):
    """Accepts every connection and keeps it open without a byte back."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, PORT))
    listener.listen(64)
    held = []

    def accept():
        while True:
            connection, _ = listener.accept()
            held.append(connection)

    threading.Thread(target=accept, daemon=True).start()


def main():
    if len(sys.argv) < 5 or sys.argv[3] != "--":
        print(__doc__, file=sys.stderr)
        return 2
    front_address, silent_address, command = sys.argv[1], sys.argv[2], sys.argv[4:]
    folder = tempfile.mkdtemp(prefix="tarvex-front.")
    log_path = os.path.join(folder, "front.log")
    script_path = os.path.join(folder, "script.txt")
    open(log_path, "w").close()
    front = Front(os.environ["TARVEX_SERVER_ADDRESS"], log_path, script_path)
    server = ThreadingServer((front_address, PORT), handler_for(front))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    hold_silently(silent_address)
    environment = dict(os.environ, TARVEX_FRONT_LOG=log_path, TARVEX_FRONT_SCRIPT=script_path)
    status = subprocess.call(command, env=environment)
    server.shutdown()
    for name in (log_path, script_path):
        if os.path.exists(name):
            os.remove(name)
    os.rmdir(folder)
    return status


if __name__ == "__main__":
    sys.exit(main())
