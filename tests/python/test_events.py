"""Events of the view control reach Python handlers in the order they fire:
mouse input goes in through the windowless face, so no display is needed."""

import pytest

W, H = 320, 240


class Recorder:
    def __init__(self):
        self.events = []

    def OnSelectionChanged(self, unselected, selected):
        self.events.append(("SelectionChanged", unselected, selected))

    def OnDropFile(self, name):
        self.events.append(("DropFile", name))

    def OnPopupMenu(self, x, y, items):
        self.events.append(("PopupMenu", x, y, list(items)))

    def OnViewChanged(self):
        self.events.append(("ViewChanged",))


@pytest.fixture
def shown(kelto3d, example):
    """(view with events, windowless panel, the file) with the drain spool
    shown from above."""
    view = kelto3d.DispatchWithEvents("Oxbay3Support.Pipeline3DViewCtrl", Recorder)
    panel = kelto3d.Windowless(view, W, H)
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(example("drain-spool"))
    view.AddKeltoFile(file)
    view.SetStandardViewDir(4)
    view.FitView()
    del view.events[:]
    yield view, panel, file
    panel.close()


def model_pixel(kelto3d, panel):
    """A pixel of the model (not background), the one nearest the middle."""
    with kelto3d.ImageDC(W, H) as dc:
        panel.draw(dc)
        background = dc.pixel(W - 1, H - 1)
        pixels = dc.buffer()
        found = [(abs(x - W // 2) + abs(y - H // 2), x, y) for y in range(H) for x in range(W)
                 if tuple(pixels[y, x, c] for c in (2, 1, 0)) != background]
    assert found, "nothing was drawn"
    return min(found)[1:]


def test_a_double_click_selects_and_the_handler_hears_it_in_order(kelto3d, shown):
    view, panel, _ = shown
    x, y = model_pixel(kelto3d, panel)
    panel.double_click(x, y)
    assert [e[:2] for e in view.events] == [("SelectionChanged", None)]
    picked = view.events[0][2]
    assert picked == view.SelectedItems[1]
    del view.events[:]
    panel.double_click(x, y)                  # the same again: unselect, then select
    assert view.events == [("SelectionChanged", picked, None), ("SelectionChanged", None, picked)]
    del view.events[:]
    panel.click(x, y, button=1)               # right click: the pop-up menu
    assert view.events == [("PopupMenu", x, H - y, [picked])]


def test_view_and_drop_events_reach_every_handler_and_a_failing_one_stops_nothing(
        kelto3d, shown, capsys):
    view, panel, _ = shown
    second = Recorder()

    class Broken:
        def OnViewChanged(self):
            raise RuntimeError("handler broke")
    broken = kelto3d.connect(view, Broken())
    with kelto3d.connect(view, second) as connection:
        assert connection.events[4] == "ViewChanged"
        view.SetStandardViewDir(5)
        view.SetStandardViewDir(5)            # no change, no event
        panel.drop("b.json", "a.json", "b.json")
    view.SetStandardViewDir(7)
    assert second.events == [("ViewChanged",), ("DropFile", "a.json"), ("DropFile", "b.json")]
    assert view.events == second.events + [("ViewChanged",)]
    assert capsys.readouterr().err.count("RuntimeError: handler broke") == 2
    broken.disconnect()


def test_everything_is_released_after_del(kelto3d, unload_now, example):
    view = kelto3d.DispatchWithEvents("Oxbay3Support.Pipeline3DViewCtrl", Recorder)
    other = Recorder()
    connection = kelto3d.connect(view, other)
    view.SetStandardViewDir(4)
    assert unload_now() == 1
    del view, connection
    assert unload_now() == 0
