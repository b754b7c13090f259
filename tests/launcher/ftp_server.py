#!/usr/bin/env python3
"""A small FTP server for the launcher's download tests.

Serves the files of the folder TARVEX_WEB_ROOT (set by with_web_server.sh)
on ADDRESS port 21 while COMMAND runs, with TARVEX_FTP_ADDRESS set to
ADDRESS, then stops and exits with COMMAND's status.

Any user and password sign in. RETR sends a file over a data connection
the client asked for (PORT, or PASV); a missing file answers 550. Like the
servers users meet, it sends a file in ASCII mode (TYPE A, the default)
with every line feed as CR LF, and the bytes as they are only in image mode
(TYPE I), so a client that asks for the wrong mode gets changed bytes.

Usage: ftp_server.py ADDRESS -- COMMAND [ARGS...]
"""
import os
import socket
import socketserver
import subprocess
import sys
import threading

PORT = 21
DATA_TIMEOUT_SECONDS = 10


class FtpHandler(socketserver.StreamRequestHandler):
    root = "."

    def reply(self, line):
        self.wfile.write((line + "\r\n").encode("ascii"))
        self.wfile.flush()

    def local_path(self, name):
        path = os.path.realpath(os.path.join(self.root, name.lstrip("/")))
        if not path.startswith(os.path.realpath(self.root) + os.sep) or not os.path.isfile(path):
            return None
        return path

    def open_data(self):
        if self.passive is not None:
            self.passive.settimeout(DATA_TIMEOUT_SECONDS)
            connection, _ = self.passive.accept()
            self.passive.close()
            self.passive = None
            return connection
        return socket.create_connection(self.active, timeout=DATA_TIMEOUT_SECONDS)

    def retrieve(self, name):
        path = self.local_path(name)
        if path is None:
            self.reply("550 No such file")
            return
        with open(path, "rb") as source:
            body = source.read()
        if not self.binary:
            body = body.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        self.reply("150 Sending")
        connection = self.open_data()
        connection.sendall(body)
        connection.close()
        self.reply("226 Sent")

    def enter_passive(self):
        self.passive = socket.socket()
        self.passive.bind((self.server.server_address[0], 0))
        self.passive.listen(1)
        host = self.server.server_address[0].replace(".", ",")
        port = self.passive.getsockname()[1]
        self.reply("227 Entering Passive Mode (%s,%d,%d)" % (host, port // 256, port % 256))

    def handle(self):
        self.binary = False
        self.passive = None
        self.active = None
        self.reply("220 Ready")
        for raw in self.rfile:
            command, _, argument = raw.decode("latin-1").strip().partition(" ")
            command = command.upper()
            if command == "USER":
                self.reply("331 Password please")
            elif command == "PASS":
                self.reply("230 Signed in")
            elif command == "TYPE":
                self.binary = argument.upper().startswith("I")
                self.reply("200 Type set")
            elif command == "PORT":
                fields = argument.split(",")
                self.active = (".".join(fields[:4]), int(fields[4]) * 256 + int(fields[5]))
                self.reply("200 Port set")
            elif command == "PASV":
                self.enter_passive()
            elif command == "RETR":
                self.retrieve(argument)
            elif command == "SIZE":
                path = self.local_path(argument)
                self.reply("213 %d" % os.path.getsize(path) if path else "550 No such file")
            elif command in ("CWD", "NOOP", "MODE", "STRU"):
                self.reply("200 OK")
            elif command == "PWD":
                self.reply('257 "/"')
            elif command == "QUIT":
                self.reply("221 Bye")
                return
            else:
                self.reply("502 Not implemented")


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main(argv):
    if len(argv) < 4 or argv[2] != "--" or not os.environ.get("TARVEX_WEB_ROOT"):
        sys.stderr.write(__doc__)
        return 2
    address, command = argv[1], argv[3:]
    FtpHandler.root = os.environ["TARVEX_WEB_ROOT"]
    server = Server((address, PORT), FtpHandler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        return subprocess.call(command, env=dict(os.environ, TARVEX_FTP_ADDRESS=address))
    finally:
        server.shutdown()
        server.server_close()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
