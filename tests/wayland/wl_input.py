#!/usr/bin/python3
"""Keys and pointer through a Wayland compositor's own seat, as a user types
and moves: a client of the virtual-keyboard (zwp_virtual_keyboard_v1) and
virtual-pointer (zwlr_virtual_pointer_v1) protocols, written against the
wire format with the standard library only, so that it needs nothing but
Python and libxkbcommon (which the compositor itself uses).

The keyboard gets the standard keymap (evdev rules, pc105, us), so a key
code here is the kernel's KEY_* number and reaches X clients of Xwayland as
that number plus 8. (wtype uploads a keymap of its own made of the keys it
types, which gives them other codes.)

As a module:
    with Seat() as seat:
        seat.move(100, 200); seat.move(101, 200); seat.click(101, 200)
        seat.tap(30)            # KEY_A
As a program, one step per argument, run in order:
    wl_input.py move:100,200 click:101,200 tap:30 down:29 up:29 sleep:0.2
    wl_input.py drag:100,10:400,300      # press, several moves, release

Absolute positions are in the output layout; its size comes from
--extent WxH, else $VANTIX_SWAY_EXTENT (set by sway_session.sh).
"""

import ctypes
import ctypes.util
import os
import socket
import struct
import sys
import time

BTN_LEFT = 0x110
BTN_RIGHT = 0x111


class WaylandError(RuntimeError):
    pass


def _standard_keymap():
    """The text of the standard keymap, compiled by libxkbcommon."""
    lib = ctypes.CDLL(ctypes.util.find_library("xkbcommon") or "libxkbcommon.so.0")
    lib.xkb_context_new.restype = ctypes.c_void_p
    lib.xkb_context_new.argtypes = [ctypes.c_int]
    lib.xkb_keymap_new_from_names.restype = ctypes.c_void_p
    lib.xkb_keymap_new_from_names.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int]
    lib.xkb_keymap_get_as_string.restype = ctypes.c_void_p
    lib.xkb_keymap_get_as_string.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.xkb_keymap_unref.argtypes = [ctypes.c_void_p]
    lib.xkb_context_unref.argtypes = [ctypes.c_void_p]
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    libc.free.argtypes = [ctypes.c_void_p]

    class RuleNames(ctypes.Structure):
        _fields_ = [(n, ctypes.c_char_p) for n in ("rules", "model", "layout", "variant", "options")]

    names = RuleNames(b"evdev", b"pc105", b"us", b"", b"")
    context = lib.xkb_context_new(0)
    if not context:
        raise WaylandError("libxkbcommon: no context")
    keymap = lib.xkb_keymap_new_from_names(context, ctypes.byref(names), 0)
    if not keymap:
        lib.xkb_context_unref(context)
        raise WaylandError("libxkbcommon: the standard keymap does not compile")
    text_pointer = lib.xkb_keymap_get_as_string(keymap, 1)  # XKB_KEYMAP_FORMAT_TEXT_V1
    text = ctypes.string_at(text_pointer)
    libc.free(text_pointer)
    lib.xkb_keymap_unref(keymap)
    lib.xkb_context_unref(context)
    return text


def _fixed(value):
    return int(round(value * 256)) & 0xFFFFFFFF


class Seat:
    """The compositor's seat with one virtual keyboard and one virtual pointer."""

    def __init__(self, extent=None, keyboard=True, pointer=True):
        runtime = os.environ.get("XDG_RUNTIME_DIR", "")
        display = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        path = display if display.startswith("/") else os.path.join(runtime, display)
        extent = extent or os.environ.get("VANTIX_SWAY_EXTENT", "1280x1024")
        self.width, self.height = (int(v) for v in extent.split("x"))
        self._sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self._sock.connect(path)
        self._buffer = b""
        self._next_id = 2
        self._globals = {}
        registry = self._new_id()
        self._send(1, 1, struct.pack("<I", registry))  # wl_display.get_registry
        self._registry = registry
        self._roundtrip()
        seat = self._bind("wl_seat", 1)
        self._keyboard = self._pointer = None
        # The pointer first and on its own, and gone first too: sway 1.7
        # crashes when a second client of this kind (after a first has gone)
        # makes its keyboard before its pointer is in place.
        if pointer:
            pointers = self._bind("zwlr_virtual_pointer_manager_v1", 1)
            self._pointer = self._new_id()
            self._send(pointers, 0, struct.pack("<II", seat, self._pointer))
            self._roundtrip()
        if keyboard:
            keyboards = self._bind("zwp_virtual_keyboard_manager_v1", 1)
            self._keyboard = self._new_id()
            self._send(keyboards, 0, struct.pack("<II", seat, self._keyboard))
            keymap = _standard_keymap() + b"\0"
            fd = os.memfd_create("keymap")
            os.write(fd, keymap)
            self._send(self._keyboard, 0, struct.pack("<II", 1, len(keymap)), fds=[fd])  # xkb v1
            os.close(fd)
        self._roundtrip()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if self._sock is None:
            return
        try:
            # The pointer first here too, each on its own.
            if self._pointer:
                self._send(self._pointer, 8, b"")  # destroy
                self._roundtrip()
            if self._keyboard:
                self._send(self._keyboard, 3, b"")
            self._roundtrip()
        finally:
            self._sock.close()
            self._sock = None

    # Keyboard: kernel key codes (KEY_*).
    def key(self, code, pressed):
        self._send(self._keyboard, 1, struct.pack("<III", self._time(), code, 1 if pressed else 0))
        self._roundtrip()

    def tap(self, code, hold=0.05):
        self.key(code, True)
        time.sleep(hold)
        self.key(code, False)

    # Pointer: positions in the output layout.
    def move(self, x, y):
        self._send(self._pointer, 1, struct.pack("<IIIII", self._time(), int(x), int(y),
                                                 self.width, self.height))
        self._frame()

    def button(self, pressed, button=BTN_LEFT):
        self._send(self._pointer, 2, struct.pack("<III", self._time(), button, 1 if pressed else 0))
        self._frame()

    def click(self, x, y, button=BTN_LEFT):
        """A click where the pointer has arrived in two moves: a pointer that
        jumps straight onto an Xwayland popup can have its next press land
        on the window below."""
        self.move(x - 1, y)
        time.sleep(0.05)
        self.move(x, y)
        time.sleep(0.05)
        self.button(True, button)
        time.sleep(0.05)
        self.button(False, button)

    def drag(self, x1, y1, x2, y2, steps=8):
        """Press, move as a hand does (a few pixels first, then in steps),
        release. A window moved by the compositor follows from where its
        move began, a few pixels after the press."""
        self.move(x1 - 1, y1)
        time.sleep(0.05)
        self.move(x1, y1)
        time.sleep(0.05)
        self.button(True)
        path = [(x1 + (x2 - x1) * i // 40, y1 + (y2 - y1) * i // 40) for i in (1, 2, 3)]
        path += [(x1 + (x2 - x1) * i // steps, y1 + (y2 - y1) * i // steps)
                 for i in range(1, steps + 1)]
        for x, y in path:
            time.sleep(0.03)
            self.move(x, y)
        time.sleep(0.1)
        self.button(False)

    # The wire.
    def _frame(self):
        self._send(self._pointer, 4, b"")
        self._roundtrip()

    @staticmethod
    def _time():
        return int(time.monotonic() * 1000) & 0xFFFFFFFF

    def _new_id(self):
        self._next_id += 1
        return self._next_id - 1

    def _send(self, obj, opcode, payload, fds=()):
        message = struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload
        if fds:
            self._sock.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS,
                                            struct.pack("<%di" % len(fds), *fds))])
        else:
            self._sock.sendall(message)

    def _bind(self, interface, version):
        if interface not in self._globals:
            raise WaylandError("the compositor offers no " + interface)
        name, offered = self._globals[interface]
        new = self._new_id()
        encoded = interface.encode() + b"\0"
        padded = encoded + b"\0" * (-len(encoded) % 4)
        self._send(self._registry, 0, struct.pack("<II", name, len(encoded)) + padded +
                   struct.pack("<II", min(version, offered), new))
        return new

    def _roundtrip(self):
        callback = self._new_id()
        self._send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        while True:
            obj, opcode, payload = self._read()
            if obj == 1 and opcode == 0:  # wl_display.error
                _, code, length = struct.unpack_from("<III", payload)
                raise WaylandError("protocol error %d: %s" % (code, payload[12:12 + length - 1]
                                                                .decode(errors="replace")))
            if obj == self._registry and opcode == 0:  # wl_registry.global
                name, length = struct.unpack_from("<II", payload)
                interface = payload[8:8 + length - 1].decode()
                offset = 8 + length + (-length % 4)
                (version,) = struct.unpack_from("<I", payload, offset)
                self._globals[interface] = (name, version)
            if obj == callback and opcode == 0:  # wl_callback.done
                return

    def _read(self):
        while len(self._buffer) < 8 or len(self._buffer) < (struct.unpack_from(
                "<I", self._buffer, 4)[0] >> 16):
            chunk = self._sock.recv(65536)
            if not chunk:
                raise WaylandError("the compositor closed the connection")
            self._buffer += chunk
        obj, word = struct.unpack_from("<II", self._buffer)
        size = word >> 16
        payload = self._buffer[8:size]
        self._buffer = self._buffer[size:]
        return obj, word & 0xFFFF, payload


def _point(text):
    x, y = text.split(",")
    return int(x), int(y)


def main(argv):
    extent = None
    steps = []
    for arg in argv[1:]:
        if arg.startswith("--extent="):
            extent = arg.split("=", 1)[1]
        else:
            steps.append(arg)
    if not steps:
        sys.stderr.write(__doc__)
        return 2
    with Seat(extent) as seat:
        for step in steps:
            verb, _, rest = step.partition(":")
            if verb == "move":
                seat.move(*_point(rest))
            elif verb == "click":
                seat.click(*_point(rest))
            elif verb == "drag":
                start, end = rest.split(":")
                seat.drag(*_point(start), *_point(end))
            elif verb == "tap":
                seat.tap(int(rest))
            elif verb == "down":
                seat.key(int(rest), True)
            elif verb == "up":
                seat.key(int(rest), False)
            elif verb == "sleep":
                time.sleep(float(rest))
            else:
                sys.stderr.write("wl_input.py: unknown step %s\n" % step)
                return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
