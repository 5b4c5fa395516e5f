"""render(): piping files (or models built in Python) into a PNG, PDF or
SVG, or an image in memory, through the view control. Needs no display."""

import math
import os

from . import _dc, _dispatch
from ._control import MOUSE_WHEEL, VIEW_PROGID, Windowless

VIEWS = ["NorthTopLeft", "NorthTopRight", "NorthBottomLeft", "NorthBottomRight", "LookDown",
         "LookUp", "LookEast", "LookWest", "LookNorth", "LookSouth"]
REPRESENTATIONS = {"solid": 0, "symbolic": 1}
# Bitmap pixels per point on a PDF or SVG page (288 per inch).
VECTOR_SCALE = 4
MAX_BITMAP = 16384


def view_number(view):
    """A standard view by name ("LookDown", "svdLookDown", case ignored) or
    number 0-9."""
    if isinstance(view, int) and 0 <= view < len(VIEWS):
        return view
    names = {v.lower(): i for i, v in enumerate(VIEWS)}
    key = str(view).lower()
    key = key[3:] if key.startswith("svd") else key
    if key not in names:
        raise ValueError("unknown view %r (views: %s)" % (view, ", ".join(VIEWS)))
    return names[key]


def representation_number(representation):
    if representation in (0, 1):
        return representation
    try:
        return REPRESENTATIONS[str(representation).lower()]
    except KeyError:
        raise ValueError("unknown representation %r (solid or symbolic)"
                         % (representation,)) from None


def _widen(panel, width, height):
    """FitView fits the model's sphere to the picture's height; a picture
    taller than wide would cut the sides, so the view is zoomed out with the
    wheel (1.2 times a notch) about the middle until the width holds it."""
    notches = math.ceil(math.log(height / width) / math.log(1.2)) if height > width else 0
    for _ in range(notches):
        panel.message(MOUSE_WHEEL, x=width // 2, y=height // 2, wheel=-120)


def show(view, sources, representation=0):
    """Adds piping files (paths) and models (ModelNode objects) to a view;
    returns the loaded file objects."""
    files = []
    for source in sources:
        if isinstance(source, _dispatch.Dispatch):
            if source._description and source._description.name == "IModelNode":
                view.AddModel(source)
            else:
                view.AddKeltoFile(source, representation)
            continue
        file = _dispatch.Dispatch("Kelto.File")
        file.Load(os.fspath(source))
        view.AddKeltoFile(file, representation)
        files.append(file)
    return files


def render(files, out=None, view="NorthTopLeft", size=(800, 600), representation="solid",
           background=0xFFFFFF, axes_scale=1.0):
    """Draws files (a path, a ModelNode, or a list of them) as seen from a
    standard view, fitted, into out: a .png of size pixels, a .pdf or .svg page
    of size points, or (out None) an image in memory whose pixels are
    returned as bytes (rows top first, B G R 255). Returns out otherwise."""
    if isinstance(files, (str, os.PathLike, _dispatch.Dispatch)):
        files = [files]
    width, height = (int(size[0]), int(size[1]))
    ctrl = _dispatch.Dispatch(VIEW_PROGID)
    panel = None
    try:
        # Active at the picture's size, so that the fit uses its proportions.
        panel = Windowless(ctrl, width, height)
        show(ctrl, files, representation_number(representation))
        ctrl.SetStandardViewDir(view_number(view))
        ctrl.FitView()
        _widen(panel, width, height)
        scale = 1
        if out is None:
            dc = _dc.ImageDC(width, height)
        else:
            dc = _dc.FileDC(out, width, height)
            if not os.fspath(out).lower().endswith(".png"):
                scale = VECTOR_SCALE
        with dc:
            bw, bh = min(width * scale, MAX_BITMAP), min(height * scale, MAX_BITMAP)
            ctrl.DrawToDC(dc.handle, 0, 0, width, height, background, axes_scale * bw / width,
                          bw, bh, False)
            if out is None:
                return dc.pixels()
        return out
    finally:
        if panel is not None:
            panel.close()
        ctrl._release()
