#!/usr/bin/env python3
"""A small web server for the launcher's update tests.

Serves the files of one folder on ADDRESS port 80:
  GET /<path>            the file, status 200 with its length; the first
                         700 bytes go out alone and the rest follows a moment
                         later, so the client sees a short read before the end
  GET /chunked/<path>    the file in chunks of 700 bytes without a length
                         (chunked transfer encoding), a pause after the first
  GET /truncated/<path>  announces the whole length but sends only the first
                         half of the file, then closes the connection
  GET /quit              status 200, then the server stops: from then on
                         the address refuses connections
  anything missing       status 404 with a small error page
Every request line and user agent is appended to requests.log in the parent
of the served folder, so a test can tell what was fetched. Once the server
listens it creates the file "ready" there.

Usage: update_web_server.py ADDRESS FOLDER
"""
import http.server
import os
import sys
import threading
import time

FIRST_PIECE = 700
PAUSE_SECONDS = 0.05
TRUNCATED_PREFIX = "/truncated/"
CHUNKED_PREFIX = "/chunked/"


class UpdateHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."

    def log_message(self, format, *args):
        pass

    def record(self):
        log = os.path.join(os.path.dirname(self.root), "requests.log")
        with open(log, "a", encoding="utf-8") as out:
            out.write("%s %s\n" % (self.path, self.headers.get("User-Agent", "")))

    def local_path(self, url_path):
        relative = url_path.split("?", 1)[0].lstrip("/")
        path = os.path.realpath(os.path.join(self.root, relative))
        if not path.startswith(os.path.realpath(self.root) + os.sep) or not os.path.isfile(path):
            return None
        return path

    def send_missing(self):
        page = b"<html><body><h1>404 Not Found</h1></body></html>\n"
        self.send_response(404)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.wfile.write(page)

    def send_chunked(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        for start in range(0, len(body), FIRST_PIECE):
            piece = body[start:start + FIRST_PIECE]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            if start == 0:
                self.wfile.flush()
                time.sleep(PAUSE_SECONDS)
        self.wfile.write(b"0\r\n\r\n")

    def stop_server(self):
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()
        self.close_connection = True
        threading.Thread(target=self.server.shutdown).start()

    def do_GET(self):
        self.record()
        if self.path == "/quit":
            self.stop_server()
            return
        truncated = self.path.startswith(TRUNCATED_PREFIX)
        chunked = self.path.startswith(CHUNKED_PREFIX)
        url_path = self.path
        if truncated:
            url_path = self.path[len(TRUNCATED_PREFIX) - 1:]
        elif chunked:
            url_path = self.path[len(CHUNKED_PREFIX) - 1:]
        path = self.local_path(url_path)
        if path is None:
            self.send_missing()
            return
        with open(path, "rb") as source:
            body = source.read()
        if chunked:
            self.send_chunked(body)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if truncated:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self.wfile.write(body[:FIRST_PIECE])
        self.wfile.flush()
        time.sleep(PAUSE_SECONDS)
        self.wfile.write(body[FIRST_PIECE:])


def main():
    address, folder = sys.argv[1], sys.argv[2]
    UpdateHandler.root = os.path.realpath(folder)
    server = http.server.ThreadingHTTPServer((address, 80), UpdateHandler)
    open(os.path.join(os.path.dirname(UpdateHandler.root), "ready"), "w").close()
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    main()
