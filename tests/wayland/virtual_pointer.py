"""A pointer for tests under headless sway, which has no input devices: a
Wayland client of a few requests on the raw wire that makes a virtual
pointer (wlr virtual-pointer protocol, which sway offers) and moves and
clicks it."""
import socket
import struct
import time

_MANAGER = b"zwlr_virtual_pointer_manager_v1"
_DISPLAY, _REGISTRY, _CALLBACK, _MANAGER_ID, _POINTER = 1, 2, 3, 4, 5
_MOTION_ABSOLUTE, _BUTTON, _FRAME = 1, 2, 4
BUTTON_LEFT = 0x110


def _string(text):
    data = text + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


class VirtualPointer:
    def __init__(self, socket_path, extent):
        """A pointer on the compositor at `socket_path` over a desktop of `extent` (width, height)."""
        self.extent = extent
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(str(socket_path))
        self._send(_DISPLAY, 1, struct.pack("<I", _REGISTRY))  # get_registry
        self._send(_DISPLAY, 0, struct.pack("<I", _CALLBACK))  # sync: the globals come before its done
        name = self._find_global(_MANAGER)
        self._send(_REGISTRY, 0, struct.pack("<I", name) + _string(_MANAGER) + struct.pack("<II", 1, _MANAGER_ID))
        self._send(_MANAGER_ID, 0, struct.pack("<II", 0, _POINTER))  # create_virtual_pointer on the default seat

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

    def move_to(self, x, y):
        stamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
        self._send(_POINTER, _MOTION_ABSOLUTE, struct.pack("<IIIII", stamp, x, y, *self.extent))
        self._send(_POINTER, _FRAME)

    def click(self, button=BUTTON_LEFT):
        for state in (1, 0):
            self._send(_POINTER, _BUTTON, struct.pack("<III", int(time.monotonic() * 1000) & 0xFFFFFFFF, button, state))
            self._send(_POINTER, _FRAME)

    def close(self):
        self.sock.close()
