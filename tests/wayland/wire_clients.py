"""Wayland clients for the tests, a few requests each on the raw wire.
Headless compositors have no input devices of their own: sway takes a
virtual pointer (wlr virtual-pointer protocol), KWin fake input from an
authenticated client (org_kde_kwin_fake_input). PlainWindow is an ordinary
full-screen window of one colour on the first output for the saver to
cover, Locker a lock screen come up over the saver; run as a program
(COLOUR [locker]) it shows one and says on stdout when it has the keyboard
focus."""
import mmap
import os
import socket
import struct
import sys
import time

_DISPLAY, _REGISTRY = 1, 2
BUTTON_LEFT = 0x110


def _string(text):
    data = text + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def _fixed(value):
    return struct.pack("<i", int(value * 256))


def _stamp():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class WireClient:
    """A connection to the compositor at `socket_path`, its globals known."""

    def __init__(self, socket_path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(str(socket_path))
        self.last_id = _REGISTRY
        self.buffer = b""
        self.globals = {}
        self.send(_DISPLAY, 1, struct.pack("<I", _REGISTRY))  # get_registry
        self.round_trip()

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def send(self, obj, opcode, args=b"", fds=()):
        message = struct.pack("<II", obj, ((8 + len(args)) << 16) | opcode) + args
        if fds:
            socket.send_fds(self.sock, [message], list(fds))
        else:
            self.sock.sendall(message)

    def bind(self, interface, version):
        """The id of `interface` bound at `version`."""
        if interface not in self.globals:
            raise RuntimeError("the compositor offers no %s" % interface.decode())
        new = self.new_id()
        self.send(_REGISTRY, 0, struct.pack("<I", self.globals[interface]) + _string(interface)
                  + struct.pack("<II", version, new))
        return new

    def round_trip(self):
        """Sends a sync and handles every event until its done."""
        done = self.new_id()
        self.send(_DISPLAY, 0, struct.pack("<I", done))
        while not any(obj == done for obj, _, _ in self.dispatch()):
            pass

    def dispatch(self):
        """Reads what came (waiting for something); handles each event and returns them as (object, opcode, body)."""
        data, fds, _, _ = socket.recv_fds(self.sock, 65536, 8)
        for fd in fds:  # keymaps: not needed
            os.close(fd)
        if not data:
            raise EOFError("the compositor closed the connection")
        self.buffer += data
        events = []
        while len(self.buffer) >= 8:
            obj, word = struct.unpack_from("<II", self.buffer)
            size = word >> 16
            if len(self.buffer) < size:
                break
            events.append((obj, word & 0xFFFF, self.buffer[8:size]))
            self.buffer = self.buffer[size:]
        for event in events:
            self.handle(*event)
        return events

    def handle(self, obj, opcode, body):
        if obj == _REGISTRY and opcode == 0:
            length = struct.unpack_from("<I", body, 4)[0]
            self.globals.setdefault(body[8:8 + length - 1], struct.unpack_from("<I", body)[0])  # the first of each
        elif obj == _DISPLAY and opcode == 0:
            obj, code, length = struct.unpack_from("<III", body)
            raise RuntimeError("protocol error %d on object %d: %s" % (code, obj, body[12:12 + length - 1].decode()))

    def close(self):
        self.sock.close()


class VirtualPointer(WireClient):
    _MOTION_ABSOLUTE, _BUTTON, _FRAME = 1, 2, 4

    def __init__(self, socket_path, extent):
        """A pointer on the compositor at `socket_path` over a desktop of `extent` (width, height)."""
        super().__init__(socket_path)
        self.extent = extent
        manager = self.bind(b"zwlr_virtual_pointer_manager_v1", 1)
        self.pointer = self.new_id()
        self.send(manager, 0, struct.pack("<II", 0, self.pointer))  # create_virtual_pointer on the default seat

    def move_to(self, x, y):
        self.send(self.pointer, self._MOTION_ABSOLUTE, struct.pack("<IIIII", _stamp(), x, y, *self.extent))
        self.send(self.pointer, self._FRAME)

    def click(self, button=BUTTON_LEFT):
        for state in (1, 0):
            self.send(self.pointer, self._BUTTON, struct.pack("<III", _stamp(), button, state))
            self.send(self.pointer, self._FRAME)


class FakeInput(WireClient):
    _AUTHENTICATE, _MOTION, _KEY = 0, 1, 10

    def __init__(self, socket_path):
        super().__init__(socket_path)
        self.input = self.bind(b"org_kde_kwin_fake_input", 4)
        self.send(self.input, self._AUTHENTICATE, _string(b"morvelux tests") + _string(b"input for tests"))
        time.sleep(0.5)  # the compositor takes events only once it has let us in

    def key(self, code):
        for state in (1, 0):
            self.send(self.input, self._KEY, struct.pack("<II", code, state))

    def move(self, dx, dy):
        self.send(self.input, self._MOTION, _fixed(dx) + _fixed(dy))


class PlainWindow(WireClient):
    """A full-screen window of one colour (0xRRGGBB) that answers the compositor for as long as it runs."""

    def __init__(self, socket_path, colour):
        self.base = self.toplevel = self.xdg = self.seat = self.keyboard = self.output = None
        self.mode = (0, 0)
        super().__init__(socket_path)
        self.colour = colour
        compositor = self.bind(b"wl_compositor", 4)
        self.shm = self.bind(b"wl_shm", 1)
        self.base = self.bind(b"xdg_wm_base", 1)
        self.seat = self.bind(b"wl_seat", 1)
        self.output = self.bind(b"wl_output", 1)
        self.surface = self.new_id()
        self.send(compositor, 0, struct.pack("<I", self.surface))  # create_surface
        self.size = (0, 0)
        self.take_role()
        self.send(self.surface, 6)  # commit

    def take_role(self):
        self.xdg, self.toplevel = self.new_id(), self.new_id()
        self.send(self.base, 2, struct.pack("<II", self.xdg, self.surface))  # get_xdg_surface
        self.send(self.xdg, 1, struct.pack("<I", self.toplevel))  # get_toplevel
        self.send(self.toplevel, 11, struct.pack("<I", self.output))  # set_fullscreen on the first output

    def handle(self, obj, opcode, body):
        super().handle(obj, opcode, body)
        if obj == self.base and opcode == 0:  # ping
            self.send(self.base, 3, body[:4])
        elif obj == self.output and opcode == 1:  # mode: the size a configure of 0 x 0 leaves to us
            self.mode = struct.unpack_from("<ii", body, 4)
        elif obj == self.toplevel and opcode == 0:
            self.size = struct.unpack_from("<ii", body)
        elif obj == self.xdg and opcode == 0:
            self.send(self.xdg, 4, body[:4])  # ack_configure
            self.draw()
        elif obj == self.seat and opcode == 0 and struct.unpack_from("<I", body)[0] & 2 and not self.keyboard:
            self.keyboard = self.new_id()
            self.send(self.seat, 1, struct.pack("<I", self.keyboard))  # get_keyboard
        elif obj == self.keyboard and opcode in (1, 2):  # enter, leave
            print("focus" if opcode == 1 else "no focus", flush=True)

    def draw(self):
        width, height = self.size if min(self.size) > 0 else self.mode
        if min(width, height) <= 0:
            return
        size = width * height * 4
        fd = os.memfd_create("plain-window")
        os.ftruncate(fd, size)
        with mmap.mmap(fd, size) as pixels:
            pixels.write(struct.pack("<I", self.colour) * (width * height))
        pool, buffer = self.new_id(), self.new_id()
        self.send(self.shm, 0, struct.pack("<Ii", pool, size), [fd])  # create_pool
        os.close(fd)
        self.send(pool, 0, struct.pack("<IiiiiI", buffer, 0, width, height, width * 4, 1))  # XRGB8888
        self.send(pool, 1)  # the pool's destroy; the buffer keeps the memory
        self.send(self.surface, 1, struct.pack("<Iii", buffer, 0, 0))  # attach
        self.send(self.surface, 2, struct.pack("<iiii", 0, 0, width, height))  # damage
        self.send(self.surface, 6)
        print("shown %dx%d" % (width, height), flush=True)


class Locker(PlainWindow):
    """What a lock screen is to the saver: an overlay layer surface over
    everything on the first output, of one colour, with the keyboard to itself."""

    def __init__(self, socket_path, colour):
        self.layer = None
        super().__init__(socket_path, colour)

    def take_role(self):
        shell = self.bind(b"zwlr_layer_shell_v1", 1)
        self.layer = self.new_id()  # ids in the order they are used
        self.send(shell, 0, struct.pack("<IIII", self.layer, self.surface, self.output, 3)
                  + _string(b"locker"))  # get_layer_surface on the overlay layer
        self.send(self.layer, 1, struct.pack("<I", 15))  # set_anchor: every edge
        self.send(self.layer, 4, struct.pack("<I", 1))  # set_keyboard_interactivity: exclusive

    def handle(self, obj, opcode, body):
        super().handle(obj, opcode, body)
        if obj == self.layer and opcode == 0:  # configure
            self.send(self.layer, 6, body[:4])  # ack_configure
            self.size = struct.unpack_from("<II", body, 4)
            self.draw()


if __name__ == "__main__":
    kind = Locker if sys.argv[2:] == ["locker"] else PlainWindow
    window = kind(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]), int(sys.argv[1], 16))
    while True:
        window.dispatch()
