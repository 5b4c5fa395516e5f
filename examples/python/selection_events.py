"""Reacts to selection events. The view runs without a window here (a
script on a server can do the same), so the clicks are sent as window
messages: a double click on the middle of the model, then another.

    python3 selection_events.py drain-spool.json
"""

import sys

import kelto3d

W, H = 400, 300


class Events:
    def OnSelectionChanged(self, unselected, selected):
        name = lambda c: c.Id if c is not None else "-"
        print("SelectionChanged unselected=%s selected=%s" % (name(unselected), name(selected)))

    def OnViewChanged(self):
        print("ViewChanged")


def model_pixel(panel):
    """The drawn pixel nearest the middle of the view."""
    with kelto3d.ImageDC(W, H) as dc:
        panel.draw(dc)
        data, background = dc.pixels(), dc.pixel(0, H - 1)
    found = [(abs(x - W // 2) + abs(y - H // 2), x, y) for y in range(H) for x in range(W)
             if (data[(y * W + x) * 4 + 2], data[(y * W + x) * 4 + 1],
                 data[(y * W + x) * 4]) != background]
    return min(found)[1:]


def main(plant):
    view = kelto3d.DispatchWithEvents("Oxbay3Support.Pipeline3DViewCtrl", Events)
    panel = kelto3d.Windowless(view, W, H)
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(plant)
    view.AddKeltoFile(file)
    x, y = model_pixel(panel)
    panel.double_click(x, y)  # select what is there
    panel.double_click(x, y)  # again: unselected, then selected once more
    print("selected now:", ", ".join(item.Id for item in view.SelectedItems))
    panel.close()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: selection_events.py PLANT.json")
    main(sys.argv[1])
