"""Device contexts for DrawToDC: an image in memory, or a PNG, PDF or SVG
file. A device context is a handle (an int) that DrawToDC takes as hDC.

    with kelto3d.ImageDC(640, 480) as dc:
        view.DrawToDC(dc.handle, 0, 0, 640, 480, 0xFFFFFF, 1.0, 640, 480, False)
        pixels = dc.pixels()          # bytes: rows top first, B G R 255

    with kelto3d.FileDC("plan.pdf", 595.3, 841.9) as dc:   # PDF and SVG in points
        view.DrawToDC(dc.handle, 36, 36, 523, 392, 0xFFFFFF, 4.0, 2092, 1568, False)
    # the file is complete when the block ends; a write failure raises ComError
"""

import ctypes
import os

from . import _errors, _library
from ._errors import ComError
from ._types import signed

E_FAIL = signed(0x80004005)
KINDS = {".png": 1, ".pdf": 2, ".svg": 3}


class DeviceContext:
    """A handle of the runtime's device-context table; delete() (or the end
    of a with block) finishes and frees it."""

    def __init__(self, handle, what):
        lib = _library.load()
        if not handle:
            description, source = _errors.pending_error_info(lib)
            raise ComError(E_FAIL, description or "cannot make a device context for %s" % what,
                           source)
        self.handle = handle
        self._rt = lib.runtime

    def size(self):
        """(width, height): pixels for images and PNGs, points for PDF and SVG."""
        width, height = ctypes.c_double(), ctypes.c_double()
        self._check(self._rt.KeltoGetDCSize(self._live(), ctypes.byref(width),
                                            ctypes.byref(height)))
        return width.value, height.value

    def finish(self):
        """Writes the file (or completes the image); raises ComError when the
        file cannot be written."""
        self._finished = True  # delete() repeats the answer: it was heard here
        self._check(self._rt.KeltoFinishDC(self._live()))

    def delete(self):
        handle = self.__dict__.pop("handle", None)
        if handle:
            hr = self._rt.KeltoDeleteDC(handle)
            if not getattr(self, "_finished", False):
                self._check(hr)

    def _live(self):
        if not getattr(self, "handle", None):
            raise ValueError("the device context was deleted")
        return self.handle

    def _check(self, hr):
        _errors.check(_library.load(), hr, "device context")

    def __index__(self):  # a device context passes as its handle
        return self._live()

    __int__ = __index__

    def __enter__(self):
        return self

    def __exit__(self, kind, value, tb):
        if kind is None:
            self.delete()
        else:  # the first failure is the one to see
            try:
                self.delete()
            except ComError:
                pass

    def __del__(self):
        try:
            self.delete()
        except Exception:
            pass


class ImageDC(DeviceContext):
    """An image of width x height pixels in memory, black until drawn."""

    def __init__(self, width, height):
        lib = _library.load()
        super().__init__(lib.runtime.KeltoCreateImageDC(int(width), int(height)),
                         "an image of %s x %s pixels" % (width, height))
        self.width, self.height = int(width), int(height)

    def pixels(self):
        """The pixels as bytes: rows top first, 4 bytes a pixel (B, G, R, 255)."""
        buffer = ctypes.create_string_buffer(self.width * self.height * 4)
        self._check(self._rt.KeltoGetDCPixels(self._live(), buffer, len(buffer)))
        return buffer.raw

    def buffer(self):
        """The pixels as a memoryview of shape (height, width, 4), B G R 255."""
        return memoryview(bytearray(self.pixels())).cast("B", (self.height, self.width, 4))

    def pixel(self, x, y):
        """(r, g, b) of one pixel."""
        data = self.pixels()
        i = (y * self.width + x) * 4
        return data[i + 2], data[i + 1], data[i]


class FileDC(DeviceContext):
    """A PNG (width x height pixels), PDF or SVG (points) file, chosen by the
    path's extension or by kind ("png", "pdf", "svg")."""

    def __init__(self, path, width, height, kind=None):
        path = os.fspath(path)
        extension = ("." + kind.lower()) if kind else os.path.splitext(path)[1].lower()
        if extension not in KINDS:
            raise ValueError("%s: a device context file is .png, .pdf or .svg" % path)
        lib = _library.load()
        super().__init__(lib.runtime.KeltoCreateFileDC(os.fsencode(path), KINDS[extension],
                                                       float(width), float(height)), path)
        self.path = path
