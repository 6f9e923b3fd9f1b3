"""Input for tests under headless compositors, which have no input devices
of their own: Wayland clients of a few requests on the raw wire. sway takes a
virtual pointer (wlr virtual-pointer protocol), KWin fake input from an
authenticated client (org_kde_kwin_fake_input)."""
import socket
import struct
import time

_DISPLAY, _REGISTRY, _CALLBACK, _BOUND, _CREATED = 1, 2, 3, 4, 5
BUTTON_LEFT = 0x110


def _string(text):
    data = text + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def _fixed(value):
    return struct.pack("<i", int(value * 256))


def _stamp():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class WireClient:
    """A connection to the compositor at `socket_path` with `interface` bound at `version`."""

    def __init__(self, socket_path, interface, version):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(str(socket_path))
        self._send(_DISPLAY, 1, struct.pack("<I", _REGISTRY))  # get_registry
        self._send(_DISPLAY, 0, struct.pack("<I", _CALLBACK))  # sync: the globals come before its done
        name = self._find_global(interface)
        self._send(_REGISTRY, 0, struct.pack("<I", name) + _string(interface) + struct.pack("<II", version, _BOUND))

    def _send(self, obj, opcode, args=b""):
        self.sock.sendall(struct.pack("<II", obj, ((8 + len(args)) << 16) | opcode) + args)

    def _find_global(self, interface):
        found, buffer = None, b""
        while True:
            buffer += self.sock.recv(4096)
            while len(buffer) >= 8:
                obj, word = struct.unpack_from("<II", buffer)
                size, opcode = word >> 16, word & 0xFFFF
                if len(buffer) < size:
                    break
                body, buffer = buffer[8:size], buffer[size:]
                if obj == _REGISTRY and opcode == 0:
                    length = struct.unpack_from("<I", body, 4)[0]
                    if body[8:8 + length - 1] == interface:
                        found = struct.unpack_from("<I", body)[0]
                elif obj == _CALLBACK:
                    if found is None:
                        raise RuntimeError("the compositor offers no %s" % interface.decode())
                    return found

    def close(self):
        self.sock.close()


class VirtualPointer(WireClient):
    _MOTION_ABSOLUTE, _BUTTON, _FRAME = 1, 2, 4

    def __init__(self, socket_path, extent):
        """A pointer on the compositor at `socket_path` over a desktop of `extent` (width, height)."""
        super().__init__(socket_path, b"zwlr_virtual_pointer_manager_v1", 1)
        self.extent = extent
        self._send(_BOUND, 0, struct.pack("<II", 0, _CREATED))  # create_virtual_pointer on the default seat

    def move_to(self, x, y):
        self._send(_CREATED, self._MOTION_ABSOLUTE, struct.pack("<IIIII", _stamp(), x, y, *self.extent))
        self._send(_CREATED, self._FRAME)

    def click(self, button=BUTTON_LEFT):
        for state in (1, 0):
            self._send(_CREATED, self._BUTTON, struct.pack("<III", _stamp(), button, state))
            self._send(_CREATED, self._FRAME)


class FakeInput(WireClient):
    _AUTHENTICATE, _MOTION, _KEY = 0, 1, 10

    def __init__(self, socket_path):
        super().__init__(socket_path, b"org_kde_kwin_fake_input", 4)
        self._send(_BOUND, self._AUTHENTICATE, _string(b"morvelux tests") + _string(b"input for tests"))
        time.sleep(0.5)  # the compositor takes events only once it has let us in

    def key(self, code):
        for state in (1, 0):
            self._send(_BOUND, self._KEY, struct.pack("<II", code, state))

    def move(self, dx, dy):
        self._send(_BOUND, self._MOTION, _fixed(dx) + _fixed(dy))
