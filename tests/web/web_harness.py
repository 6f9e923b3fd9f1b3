"""Opens the built site in Debian's headless Chromium, served from 127.0.0.1
by Python's own HTTP server, and drives it through the DevTools protocol
(--remote-debugging-pipe). Screenshots are compared with the native
morvelux-render's frame at the tick the page reports."""
import base64
import fcntl
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


def serve(folder):
    """An HTTP server of `folder` on a free port of 127.0.0.1, in a thread
    (symbolic links followed)."""
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=str(folder)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Browser:
    """A headless Chromium with one page; Chromium reads commands from fd 3
    and answers on fd 4, each message ending in a NUL."""

    def __init__(self, folder, scale=None):
        commands, self.commands = os.pipe()
        self.answers, answers = os.pipe()
        # The child's ends go above 4, so that making them its 3 and 4 cannot overwrite one with the
        # other (bash, unlike dash, takes such numbers).
        low = (commands, answers)
        commands, answers = (fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in low)
        for fd in low:
            os.close(fd)
        args = ["chromium", "--headless=new", "--no-sandbox", "--remote-debugging-pipe", "--hide-scrollbars",
                "--no-first-run", "--user-data-dir=%s" % Path(folder, "profile"), "--window-size=1600,1200",
                *(["--force-device-scale-factor=%g" % scale] if scale else []), "about:blank"]
        self.proc = subprocess.Popen(["bash", "-c", 'exec 3<&%d 4>&%d; exec "$@"' % (commands, answers), "bash", *args],
                                     pass_fds=(commands, answers), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(commands)
        os.close(answers)
        self.buffer, self.last_id, self.session = b"", 0, None
        page = wait_until(lambda: [t for t in self.send("Target.getTargets")["targetInfos"] if t["type"] == "page"], 10)
        self.target = page[0]["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": self.target, "flatten": True})["sessionId"]
        # As a user allows it; the page asks only while it moves full screen.
        self.send("Browser.setPermission", {"permission": {"name": "screen-wake-lock"}, "setting": "granted"},
                  browser=True)

    def send(self, method, params=None, browser=False, timeout=30):
        """A command to the page (or to the browser) and its result."""
        self.last_id += 1
        message = {"id": self.last_id, "method": method, "params": params or {}}
        if self.session and not browser:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            while b"\0" not in self.buffer:
                if not select.select([self.answers], [], [], max(deadline - time.monotonic(), 0))[0]:
                    raise RuntimeError("%s: Chromium did not answer" % method)
                chunk = os.read(self.answers, 1 << 20)
                if not chunk:
                    raise RuntimeError("%s: Chromium closed the pipe" % method)
                self.buffer += chunk
            line, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(line)
            if answer.get("id") == self.last_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer["result"]

    def open(self, url, size, before_load=None, media=(), hidden=False, ready="!!window.morvelux"):
        """Opens `url` in a page of `size` CSS pixels (its window minimised
        when `hidden`), `before_load` run before the page's own scripts, and
        waits until `ready` holds (by default: the saver started)."""
        self.send("Emulation.setDeviceMetricsOverride", {"width": size[0], "height": size[1],
                                                         "deviceScaleFactor": 0, "mobile": False})
        self.send("Emulation.setEmulatedMedia", {"features": [{"name": n, "value": v} for n, v in media]})
        if hidden:
            self.set_window_state("minimized")
        self.send("Page.enable")
        if before_load:
            self.send("Page.addScriptToEvaluateOnNewDocument", {"source": before_load})
        self.send("Page.navigate", {"url": url})
        self.wait_for(ready, url)

    def wait_for(self, ready, url):
        if not wait_until(lambda: self.evaluate(ready), 15):
            raise RuntimeError("%s did not come true on %s" % (ready, url))

    def evaluate(self, expression, wait=False):
        """The value of `expression`; with `wait`, of the promise it gives."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": wait})
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def frame(self):
        return self.evaluate("window.morvelux.frame()")

    def key(self, kind, key, code, keycode, repeat=False):
        """keyDown or keyUp of a key, as the keyboard sends it (`repeat`: as a held key repeats)."""
        text = {"text": key} if kind == "keyDown" and len(key) == 1 else {}
        self.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code, "autoRepeat": repeat,
                                             "windowsVirtualKeyCode": keycode, **text})

    def set_window_state(self, state):
        """'minimized' (the page is hidden) or 'normal'."""
        window = self.send("Browser.getWindowForTarget", {"targetId": self.target}, browser=True)["windowId"]
        self.send("Browser.setWindowBounds", {"windowId": window, "bounds": {"windowState": state}}, browser=True)

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png", "optimizeForSpeed": True})["data"]
        Path(path).write_bytes(base64.b64decode(data))
        return read_picture(path)

    def close(self):
        if self.proc.returncode is not None:
            return
        try:
            self.send("Browser.close", browser=True, timeout=5)
            self.proc.wait(10)
        except (RuntimeError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait(5)
        os.close(self.commands)
        os.close(self.answers)


def read_picture(path):
    """A PNG as a pixels.Image, decoded by ImageMagick (far faster than in Python)."""
    size = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True, capture_output=True, text=True)
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return pixels.Image(*map(int, size.stdout.split()), raw)


class PageTestCase(unittest.TestCase):
    """The site on a port of its own, a folder, and a browser whose page is
    SIZE CSS pixels at device pixel ratio SCALE."""

    SIZE = (1280, 1024)
    SCALE = None

    def setUp(self):
        for needed, preset in ((SITE / "index.html", "web"), (RENDER, "native")):
            if not needed.exists():
                self.fail("%s is missing: build the %s preset" % (needed, preset))
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-web-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.url = self.serve_site(SITE)

    def serve_site(self, site, sub_path=""):
        """`site` served from its own port at `sub_path` (a folder, "a/b/"); its address."""
        root = site
        if sub_path:
            root = Path(tempfile.mkdtemp(prefix="www-", dir=self.folder))
            (root / sub_path).parent.mkdir(parents=True, exist_ok=True)
            (root / sub_path).symlink_to(site.resolve(), target_is_directory=True)
        self.server = serve(root)
        self.addCleanup(self.server.server_close)
        self.addCleanup(self.server.shutdown)
        return "http://127.0.0.1:%d/%s" % (self.server.server_address[1], sub_path)

    def start_browser(self, before_load=None, media=(), hidden=False, ready="!!window.morvelux"):
        """The site open in a new browser (see Browser.open)."""
        self.browser = Browser(tempfile.mkdtemp(dir=self.folder), self.SCALE)
        self.addCleanup(self.browser.close)
        self.browser.open(self.url, self.SIZE, before_load, media, hidden, ready)
        return self.browser

    def shows_frame(self, zoom=1):
        """Holds Space, takes a screenshot and checks it is the page with the
        frame the page reports; returns that frame."""
        self.browser.key("keyDown", " ", "Space", 32)
        frame = self.browser.frame()
        shot = self.browser.screenshot(self.folder / "shot.png")
        self.assertEqual(self.browser.frame(), frame, "no tick while Space is held")
        self.browser.key("keyUp", " ", "Space", 32)
        out = self.folder / "render.png"
        subprocess.run([str(RENDER), "--ticks", str(frame["tick"]), "--out", str(out)]
                       + (["--title"] if frame["title"] else []), check=True, capture_output=True)
        size = tuple(round(s * (self.SCALE or 1)) for s in self.SIZE)
        expected = pixels.expected_screen(read_picture(out), size, zoom)
        if expected.data != shot.data:
            pixels.write_png(shot, self.folder / "mismatch.png")
            self.fail("the page is not tick %d (title %s): %s" % (frame["tick"], frame["title"],
                                                                  pixels.compare(expected, shot)))
        return frame


def main():
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
