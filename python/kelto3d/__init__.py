"""Kelto3D from Python: the late-bound object model over the runtime's C
functions (ctypes; no compiled extension).

    import kelto3d
    kelto3d.render(["plant.json"], "plant.png", view="LookDown", size=(800, 600))

    view = kelto3d.Dispatch("Oxbay3Support.Pipeline3DViewCtrl")
    file = kelto3d.Dispatch("Kelto.File")
    file.Load("plant.json")
    view.AddKeltoFile(file)

See docs/python.md.
"""

from ._dispatch import Dispatch, Missing
from ._errors import ComError
from ._library import load as _load

__all__ = ["Dispatch", "Missing", "ComError", "release", "library_folder"]


def release(obj):
    """Releases a wrapped object's reference now, whoever else holds the
    wrapper (a windowed control is taken down first; an object with events is
    disconnected). Using the wrapper afterwards raises ValueError."""
    obj._release()


def library_folder():
    """The folder the runtime and modules were loaded from (None: the
    loader's search path)."""
    return _load().folder


from ._control import Windowless, WindowedControl, create_control  # noqa: E402
from ._dc import DeviceContext, FileDC, ImageDC  # noqa: E402
from ._events import Connection, DispatchWithEvents, connect  # noqa: E402
from ._render import VIEWS, render  # noqa: E402

__all__ += ["Windowless", "WindowedControl", "create_control", "DeviceContext", "FileDC",
            "ImageDC", "Connection", "DispatchWithEvents", "connect", "VIEWS", "render"]
