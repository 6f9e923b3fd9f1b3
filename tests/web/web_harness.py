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
import pixels  # noqa: E402
from wine_harness import wait_until  # noqa: E402

SITE = Path(os.environ.get("MORVELUX_SITE", HERE.parents[1] / "build" / "web" / "site"))
RENDER = Path(os.environ.get("MORVELUX_RENDER", HERE.parents[1] / "build" / "native" / "morvelux-render"))
PANEL = (1024, 768)
TITLE_MS = 4500


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
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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

    def key(self, kind, key, code, keycode, text=None):
        """A key event as the keyboard sends it: kind is keyDown or keyUp."""
        params = {"type": kind, "key": key, "code": code, "windowsVirtualKeyCode": keycode}
        if text and kind == "keyDown":
            params["text"] = text
        self.send("Input.dispatchKeyEvent", params)

    def set_window_state(self, state):
        """Minimises the window ('minimized': the page is hidden) or restores it ('normal')."""
        window = self.send("Browser.getWindowForTarget", {"targetId": self.target}, browser=True)["windowId"]
        self.send("Browser.setWindowBounds", {"windowId": window, "bounds": {"windowState": state}}, browser=True)

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png", "optimizeForSpeed": True})["data"]
        Path(path).write_bytes(base64.b64decode(data))
        return read_picture(path)

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


def read_picture(path):
    """A PNG as pixels.Image, decoded by ImageMagick (far faster than in Python)."""
    width, height = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True,
                                   capture_output=True, text=True).stdout.split()
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return pixels.Image(int(width), int(height), raw)


class Page:
    """The page as it should look at `size` device pixels: black, with a
    panel enlarged `zoom` times and centred (halves rounded to even),
    cropped equally when it does not fit."""

    def __init__(self, size, zoom):
        self.size, self.zoom = size, zoom
        self.at = tuple(round((w - p * zoom) / 2) for w, p in zip(size, PANEL))

    def row(self, panel, y):
        width, zoom, (px, py) = self.size[0], self.zoom, self.at
        black = bytes(width * 3)
        if not 0 <= y - py < PANEL[1] * zoom:
            return black
        row = panel.row((y - py) // zoom)
        if zoom > 1:
            row = b"".join(row[i:i + 3] * zoom for i in range(0, len(row), 3))
        left, right = max(px, 0), min(px + PANEL[0] * zoom, width)
        return black[:left * 3] + row[(left - px) * 3:(right - px) * 3] + black[:(width - right) * 3]

    def picture(self, panel):
        return pixels.Image(*self.size, b"".join(self.row(panel, y) for y in range(self.size[1])))

    def shows(self, panel, shot):
        """Whether `shot` is the page with `panel`: a few rows first, as most candidates differ there."""
        probes = range(0, self.size[1], max(self.size[1] // 16, 1))
        return (all(self.row(panel, y) == shot.row(y) for y in probes)
                and self.picture(panel).data == shot.data)


class Reference:
    """Frames of the native morvelux-render, by tick and title card, made once each."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.cache = {}

    def panel(self, tick, title):
        if (tick, title) not in self.cache:
            out = self.folder / ("render-%d-%d.png" % (tick, title))
            subprocess.run([str(RENDER), "--ticks", str(tick), "--out", str(out)] + (["--title"] if title else []),
                           check=True, capture_output=True)
            self.cache[(tick, title)] = read_picture(out)
        return self.cache[(tick, title)]


class PageTestCase(unittest.TestCase):
    """Each test gets the site on its own port, a folder and a browser of SIZE (at SCALE)."""

    SIZE = (1280, 1024)
    SCALE = None

    def setUp(self):
        for needed, preset in ((SITE / "index.html", "web"), (RENDER, "native")):
            if not needed.exists():
                self.fail("%s is missing: build the %s preset" % (needed, preset))
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-web-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.site = Site(SITE)
        self.addCleanup(self.site.close)
        self.reference = Reference(self.folder)

    def start_browser(self, before_load=None, reduced_motion=False, hidden=False):
        """A browser whose page is SIZE CSS pixels, with the site open in it
        (in a minimised window when `hidden`)."""
        self.browser = Browser(self.folder, self.SIZE, self.SCALE)
        self.addCleanup(self.browser.close)
        width, height = self.SIZE
        self.browser.send("Emulation.setDeviceMetricsOverride",
                          {"width": width, "height": height, "deviceScaleFactor": 0, "mobile": False})
        if reduced_motion:
            self.browser.send("Emulation.setEmulatedMedia",
                              {"features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
        if hidden:
            self.browser.set_window_state("minimized")
        self.browser.open(self.site.url, before_load)
        return self.browser

    def device_size(self):
        return tuple(round(side * (self.SCALE or 1)) for side in self.SIZE)

    def shows_frame(self, zoom=1):
        """Takes a screenshot and finds the frame it equals among those the
        page reported around it, the panel enlarged `zoom` times; returns
        (tick, title) (fails with the closest misses otherwise)."""
        before = self.browser.frame()
        shot = self.browser.screenshot(self.folder / "shot.png")
        after = self.browser.frame()
        size = self.device_size()
        self.assertEqual((shot.width, shot.height), size)
        titles = set(title_choices(before)) | set(title_choices(after))
        page = Page(size, zoom)
        # The shot is taken as the command arrives: early frames first.
        for tick in range(max(before["tick"] - 1, 0), after["tick"] + 1):
            for title in titles:
                if page.shows(self.reference.panel(tick, title), shot):
                    return tick, title
        pixels.write_png(shot, self.folder / "mismatch.png")
        mismatch = pixels.compare(page.picture(self.reference.panel(after["tick"], after["title"])), shot)
        self.fail("the page equals none of the frames %d to %d it reported around the screenshot; "
                  "against the last: %s" % (before["tick"], after["tick"], mismatch))


def title_choices(frame):
    """Whether the title card lay over a frame: the page says so, but a frame
    composed in the very millisecond the card's time ran out may go either way."""
    return (frame["title"], not frame["title"]) if abs(frame["at"] - TITLE_MS) <= 2 else (frame["title"],)


def main():
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
