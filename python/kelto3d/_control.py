"""The view control in a window of the host (X11), and without one.

    view = kelto3d.create_control(window_id)       # e.g. a Tk frame's winfo_id()
    root.tk.createfilehandler(view, tkinter.READABLE, lambda *_: view.pump())
    view.pump()                                    # once after creation

    panel = kelto3d.Windowless(view, 640, 480)     # no window, no display needed
    panel.double_click(320, 240)                   # input as the window would send it
"""

import ctypes

from . import _dispatch, _errors, _library, _vtable
from ._types import GUID, HRESULT, signed

VIEW_PROGID = "Oxbay3Support.Pipeline3DViewCtrl"
IID_WINDOWLESS = GUID.of("9E3B5C21-7A44-4F0D-8B6E-2C1D9F7A5E83")
E_NOINTERFACE = signed(0x80004002)

# Window message kinds, buttons and key bits (docs/embedding.md).
BUTTON_DOWN, BUTTON_UP, DOUBLE_CLICK, MOUSE_MOVE, MOUSE_WHEEL = 0, 1, 2, 3, 4
SIZE, DROP_FILES = 7, 9
LEFT, RIGHT, MIDDLE = 0, 1, 2
MK_LBUTTON, MK_RBUTTON, MK_SHIFT, MK_CONTROL, MK_MBUTTON = 1, 2, 4, 8, 16
_BUTTON_KEY = {LEFT: MK_LBUTTON, RIGHT: MK_RBUTTON, MIDDLE: MK_MBUTTON}


class WindowedControl(_dispatch.Dispatch):
    """A control in place in a host window: pump() whenever fileno() is
    readable (and once after creation); destroy() takes the window down."""

    def fileno(self):
        fd = ctypes.c_int(-1)
        _errors.check(_library.load(), _library.load().runtime.KeltoAxGetConnectionNumber(
            self._pointer(), ctypes.byref(fd)), "GetConnectionNumber")
        return fd.value

    def pump(self):
        """Dispatches what is waiting (input, paints); never blocks."""
        _errors.check(_library.load(), _library.load().runtime.KeltoAxDispatchPending(
            self._pointer()), "DispatchPending")

    def destroy(self):
        pointer = self.__dict__.get("_ptr")
        if pointer:
            _library.load().runtime.KeltoAxDestroyControl(pointer)

    def _release(self):
        self.destroy()
        _dispatch.Dispatch._release(self)


def create_control(parent, display=None, progid=VIEW_PROGID):
    """The control of progid in place inside the X11 window parent (an int
    window id) on display (None: $DISPLAY)."""
    lib = _library.load()
    out = ctypes.c_void_p()
    _errors.check(lib, lib.runtime.KeltoAxCreateControl(
        progid.encode(), display.encode() if display else None, int(parent), ctypes.byref(out)),
        "create_control")
    return _dispatch.wrap(out.value, WindowedControl)


class _Record(ctypes.Structure):
    _fields_ = [("Kind", ctypes.c_int32), ("Button", ctypes.c_int32), ("X", ctypes.c_int32),
                ("Y", ctypes.c_int32), ("Keys", ctypes.c_uint32), ("WheelDelta", ctypes.c_int32),
                ("Width", ctypes.c_int32), ("Height", ctypes.c_int32),
                ("FileCount", ctypes.c_uint32), ("Files", ctypes.POINTER(ctypes.c_char_p))]


class Windowless:
    """A view control activated without a window, width x height pixels:
    input goes in as window messages (positions in view pixels, y down) and
    the view is drawn into a device context."""

    def __init__(self, view, width, height):
        pointer = _vtable.query_interface(view._pointer(), IID_WINDOWLESS)
        if pointer is None:
            raise _errors.ComError(E_NOINTERFACE, "%r has no windowless face" % view)
        self._ptr, self.view = pointer, view
        self._call(3, "ActivateWindowless", (ctypes.c_int32, ctypes.c_int32), width, height)

    def _call(self, slot, name, argtypes, *args):
        hr = _vtable.slot(self._ptr, slot, HRESULT, *argtypes)(*args)
        _errors.check(_library.load(), hr, name)

    def message(self, kind, button=0, x=0, y=0, keys=0, wheel=0, width=0, height=0, files=()):
        names = (ctypes.c_char_p * max(len(files), 1))(*[f.encode() for f in files])
        record = _Record(kind, button, x, y, keys, wheel, width, height, len(files),
                         ctypes.cast(names, ctypes.POINTER(ctypes.c_char_p)))
        self._call(4, "OnWindowMessage", (ctypes.POINTER(_Record),), ctypes.byref(record))

    def click(self, x, y, button=LEFT, keys=0):
        held = keys | _BUTTON_KEY[button]
        self.message(BUTTON_DOWN, button, x, y, held)
        self.message(BUTTON_UP, button, x, y, keys)

    def double_click(self, x, y, button=LEFT, keys=0):
        held = keys | _BUTTON_KEY[button]
        self.click(x, y, button, keys)
        self.message(DOUBLE_CLICK, button, x, y, held)
        self.message(BUTTON_UP, button, x, y, keys)

    def drop(self, *files):
        self.message(DROP_FILES, files=files)

    def draw(self, dc, left=0, top=0, width=None, height=None):
        w, h = dc.size() if width is None else (width, height)
        self._call(5, "Draw", (ctypes.c_int32,) * 5, int(dc), left, top, int(w), int(h))

    def close(self):
        pointer = self.__dict__.pop("_ptr", None)
        if pointer:
            _vtable.release(pointer)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass
