#!/usr/bin/env python3
"""Opens pages in headless Chromium and talks to them over the DevTools pipe
(--remote-debugging-pipe: JSON messages ended by NUL on descriptors 3 and 4),
so a test or a tool can run script in a page, wait for what the page draws
and take pictures, with nothing but Python's standard library.

    with HeadlessPage() as page:
        page.open("file:///tmp/temp.html")
        seconds = page.wait_for("document.querySelector('canvas') !== null")
        count = page.evaluate("document.querySelectorAll('canvas').length")
        page.screenshot("/tmp/page.png")

As a command: headless_page.py [--wait-for EXPRESSION] [--window-size W,H]
[--full-page] URL PNG writes a picture of the page once the expression holds
(exit 1 when it did not within the wait).
"""
import argparse
import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

CHROMIUM = "chromium"
WINDOW_SIZE = (1280, 900)
DEFAULT_WAIT_SECONDS = 120
COMMAND_WAIT_SECONDS = 120  # a page busy parsing a large table answers late
POLL_SECONDS = 0.05
# A browser just started goes on setting itself up (its own user interface
# runs in a renderer of its own) for a second or two, on the same cores as the
# page. It counts as settled once all its processes together use at most
# SETTLED_CPU_SECONDS of CPU within SETTLE_POLL_SECONDS.
SETTLE_POLL_SECONDS = 0.5
SETTLED_CPU_SECONDS = 0.05
SETTLE_WAIT_SECONDS = 15
# Chromium reads commands from descriptor 3 and writes answers to 4.
COMMAND_FD = 3
ANSWER_FD = 4
SPARE_FD_FLOOR = 10  # above both, so moving the pipes there first clobbers neither


class PageError(Exception):
    pass


class HeadlessPage:
    """One headless Chromium with one tab. Ends the browser and removes its
    profile when closed (or at the end of a with block)."""

    def __init__(self, window_size=WINDOW_SIZE):
        self.profile = tempfile.mkdtemp(prefix="headless-page-")
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        self.pending = b""
        self.next_id = 0
        self.events = []

        def wire_descriptors():
            commands = fcntl.fcntl(to_browser_read, fcntl.F_DUPFD, SPARE_FD_FLOOR)
            answers = fcntl.fcntl(from_browser_write, fcntl.F_DUPFD, SPARE_FD_FLOOR)
            os.dup2(commands, COMMAND_FD)
            os.dup2(answers, ANSWER_FD)

        self.browser = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--remote-debugging-pipe", "--user-data-dir=" + self.profile,
             "--window-size=%d,%d" % window_size, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            pass_fds=(COMMAND_FD, ANSWER_FD), preexec_fn=wire_descriptors)
        os.close(to_browser_read)
        os.close(from_browser_write)
        target = self.command("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.command("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.command("Page.enable", session=True)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        if self.browser.poll() is None:
            self.browser.terminate()
            try:
                self.browser.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.browser.kill()
                self.browser.wait()
        for descriptor in (self.to_browser, self.from_browser):
            try:
                os.close(descriptor)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)

    def _message(self, deadline):
        while b"\0" not in self.pending:
            ready, _, _ = select.select([self.from_browser], [], [], max(0, deadline - time.monotonic()))
            if not ready:
                raise PageError("the browser did not answer in time")
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise PageError("the browser closed its DevTools pipe")
            self.pending += chunk
        message, self.pending = self.pending.split(b"\0", 1)
        return json.loads(message)

    def command(self, method, session=False, **params):
        """Sends one DevTools command and returns its result; events that
        arrive meanwhile are kept for wait_for_event."""
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + COMMAND_WAIT_SECONDS
        while True:
            answer = self._message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise PageError("%s: %s" % (method, answer["error"].get("message")))
                return answer.get("result", {})
            if "method" in answer:
                self.events.append(answer)

    def cpu_seconds(self):
        """CPU time used so far by all of the browser's processes."""
        return sum(process["cpuTime"] for process in self.command("SystemInfo.getProcessInfo")["processInfo"])

    def settle(self):
        """Waits until the browser has finished setting itself up, so that a
        page timed next is not sharing the machine with it; gives up after
        SETTLE_WAIT_SECONDS. Returns the seconds waited."""
        start = time.monotonic()
        used = self.cpu_seconds()
        while time.monotonic() - start < SETTLE_WAIT_SECONDS:
            time.sleep(SETTLE_POLL_SECONDS)
            before, used = used, self.cpu_seconds()
            if used - before <= SETTLED_CPU_SECONDS:
                break
        return time.monotonic() - start

    def wait_for_event(self, method, timeout=DEFAULT_WAIT_SECONDS):
        deadline = time.monotonic() + timeout
        while True:
            for event in self.events:
                if event["method"] == method:
                    self.events.remove(event)
                    return event.get("params", {})
            self.events.append(self._message(deadline))

    def open(self, url, script=True, wait_for_load=True):
        """Opens `url` in the tab, with script switched on or off; waits for
        the page's load event unless told not to."""
        self.command("Emulation.setScriptExecutionDisabled", session=True, value=not script)
        self.events = [event for event in self.events if event["method"] != "Page.loadEventFired"]
        self.command("Page.navigate", session=True, url=url)
        if wait_for_load:
            self.wait_for_event("Page.loadEventFired")

    def evaluate(self, expression):
        """The value of a script expression in the page (JSON values only); a
        promise is waited for. Raises PageError when the script throws."""
        result = self.command("Runtime.evaluate", session=True, expression=expression, returnByValue=True,
                              awaitPromise=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise PageError("script failed: %s" % details.get("exception", {}).get("description", details))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=DEFAULT_WAIT_SECONDS):
        """Seconds until the expression first holds in the page; PageError
        when it did not within `timeout`."""
        start = time.monotonic()
        while time.monotonic() - start < timeout:
            if self.evaluate(expression):
                return time.monotonic() - start
            time.sleep(POLL_SECONDS)
        raise PageError("%s did not hold within %d s" % (expression, timeout))

    def screenshot(self, path, full_page=False):
        """Writes the visible part of the page, or the whole page, as a PNG
        file."""
        area = {}
        if full_page:
            size = self.command("Page.getLayoutMetrics", session=True)["cssContentSize"]
            area = {"captureBeyondViewport": True,
                    "clip": {"x": 0, "y": 0, "width": size["width"], "height": size["height"], "scale": 1}}
        data = self.command("Page.captureScreenshot", session=True, format="png", **area)["data"]
        with open(path, "wb") as picture:
            picture.write(base64.b64decode(data))


def main():
    parser = argparse.ArgumentParser(description="Writes a PNG picture of a page in headless Chromium.")
    parser.add_argument("--wait-for", default="true", help="script expression that holds once the page is ready")
    parser.add_argument("--window-size", default="%d,%d" % WINDOW_SIZE)
    parser.add_argument("--full-page", action="store_true", help="the whole page, not only the window's part")
    parser.add_argument("url")
    parser.add_argument("png")
    args = parser.parse_args()
    width, height = (int(number) for number in args.window_size.split(","))
    try:
        with HeadlessPage((width, height)) as page:
            page.open(args.url)
            page.wait_for(args.wait_for)
            page.screenshot(args.png, args.full_page)
    except PageError as error:
        print("headless_page: %s: %s" % (args.url, error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
