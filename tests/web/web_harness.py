"""Opens the built site in Debian's headless Chromium and drives it through
the DevTools protocol (over --remote-debugging-pipe), served from 127.0.0.1
by a small HTTP server of Python's own; screenshots are read back with
ImageMagick and compared with the frames of the native morvelux-render at
the tick the page reports (window.morvelux.frame())."""
import base64
import functools
import http.server
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE.parent / "x11"))
import pixels  # noqa: E402
from wine_harness import wait_until  # noqa: E402
from x11_harness import Reference, title_choices  # noqa: E402

SITE = Path(os.environ.get("MORVELUX_SITE", HERE.parents[1] / "build" / "web" / "site"))
PANEL = (1024, 768)


class Site:
    """The built site on a free port of 127.0.0.1; remembers every path asked for."""

    def __init__(self, folder):
        asked = self.asked = []

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                asked.append(self.path)

        handler = functools.partial(Handler, directory=str(folder))
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class DevToolsError(RuntimeError):
    pass


class Browser:
    """A headless Chromium with one page, attached to through the DevTools pipe."""

    def __init__(self, folder, size, scale=None, extra_args=()):
        self.to_browser_r, self.to_browser = os.pipe()
        self.from_browser, self.from_browser_w = os.pipe()
        args = ["chromium", "--headless=new", "--no-sandbox", "--remote-debugging-pipe",
                "--user-data-dir=%s" % (Path(folder) / "profile"), "--window-size=%d,%d" % size,
                "--hide-scrollbars", "--no-first-run", "--no-default-browser-check", "--mute-audio",
                "--disable-extensions", "--disable-background-networking", "--disable-component-update",
                *(["--force-device-scale-factor=%g" % scale] if scale else []), *extra_args, "about:blank"]
        # Chromium reads commands from fd 3 and writes answers to fd 4.
        self.proc = subprocess.Popen(
            ["sh", "-c", 'exec 3<&%d 4>&%d; exec "$@"' % (self.to_browser_r, self.from_browser_w), "sh", *args],
            pass_fds=(self.to_browser_r, self.from_browser_w), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=open(Path(folder) / "chromium.log", "wb"))
        os.close(self.to_browser_r)
        os.close(self.from_browser_w)
        self.buffer = b""
        self.events = []
        self.next_id = 0
        self.session = None
        page = wait_until(lambda: [t for t in self.send("Target.getTargets")["targetInfos"]
                                   if t["type"] == "page"], 10)
        if not page:
            raise DevToolsError("Chromium opened no page")
        self.target = page[0]["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": self.target, "flatten": True})["sessionId"]

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.from_browser], [], [], left)[0]:
                raise DevToolsError("Chromium did not answer in time")
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise DevToolsError("Chromium closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, browser=False, timeout=30):
        """Sends a command (to the page unless `browser`) and returns its result."""
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if self.session and not browser:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise DevToolsError("%s: %s" % (method, answer["error"]))
                return answer["result"]
            self.events.append(answer)

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise DevToolsError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def open(self, url, before_load=None):
        """Loads `url` (running the script `before_load` first) and waits for the saver to start."""
        self.send("Page.enable")
        if before_load:
            self.send("Page.addScriptToEvaluateOnNewDocument", {"source": before_load})
        self.send("Page.navigate", {"url": url})
        if not wait_until(lambda: self.evaluate("!!window.morvelux"), 15):
            raise DevToolsError("the saver did not start on %s" % url)

    def frame(self):
        return self.evaluate("window.morvelux.frame()")

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png"})["data"]
        Path(path).write_bytes(base64.b64decode(data))
        raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True,
                             capture_output=True).stdout
        size = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True,
                              capture_output=True, text=True).stdout.split()
        return pixels.Image(int(size[0]), int(size[1]), raw)

    def close(self):
        try:
            self.send("Browser.close", browser=True, timeout=5)
        except DevToolsError:
            pass
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(5)
        os.close(self.to_browser)
        os.close(self.from_browser)


def expected_page(panel, size, zoom):
    """The page as it should look: black, with `panel` enlarged `zoom` times
    and centred (halves rounded to even), cropped equally when it does not fit."""
    width, height = size
    px, py = (round((w - p * zoom) / 2) for w, p in zip(size, PANEL))
    black = bytes(width * 3)
    data = bytearray()
    for y in range(height):
        panel_y = (y - py) // zoom
        if not 0 <= y - py < PANEL[1] * zoom:
            data += black
            continue
        row = panel.row(panel_y)
        if zoom > 1:
            row = b"".join(row[i:i + 3] * zoom for i in range(0, len(row), 3))
        left, right = max(px, 0), min(px + PANEL[0] * zoom, width)
        data += black[:left * 3] + row[(left - px) * 3:(right - px) * 3] + black[:(width - right) * 3]
    return pixels.Image(width, height, data)


class PageTestCase(unittest.TestCase):
    """Each test gets the site on its own port, a folder and a browser of SIZE (at SCALE)."""

    SIZE = (1280, 1024)
    SCALE = None

    def setUp(self):
        if not (SITE / "index.html").exists():
            self.fail("%s is missing: build the web preset" % SITE)
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-web-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.site = Site(SITE)
        self.addCleanup(self.site.close)
        self.reference = Reference(self.folder)

    def start_browser(self, before_load=None):
        self.browser = Browser(self.folder, self.SIZE, self.SCALE)
        self.addCleanup(self.browser.close)
        self.browser.open(self.site.url, before_load)
        return self.browser

    def shows_frame(self, device_size, zoom):
        """Takes a screenshot and finds the frame it equals among those the
        page reported around it; returns (tick, title) (fails with the closest
        misses otherwise)."""
        before = self.browser.frame()
        shot = self.browser.screenshot(self.folder / "shot.png")
        after = self.browser.frame()
        self.assertEqual((shot.width, shot.height), device_size)
        misses = []
        for tick in range(after["tick"], max(before["tick"] - 1, 0) - 1, -1):
            frame = after if tick == after["tick"] else before
            for title in title_choices(FrameAt(frame)):
                expected = expected_page(self.reference.panel(tick, title), device_size, zoom)
                mismatch = pixels.compare(expected, shot)
                if not mismatch:
                    return tick, title
                misses.append("tick %d title %s: %s" % (tick, title, mismatch))
        pixels.write_png(shot, self.folder / "mismatch.png")
        self.fail("the page equals none of the frames it reported around the screenshot:\n  "
                  + "\n  ".join(misses))


class FrameAt:
    """A page frame as title_choices reads it."""

    def __init__(self, frame):
        self.at, self.title = frame["at"], frame["title"]


def main():
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
