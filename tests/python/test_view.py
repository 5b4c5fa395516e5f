"""The view control driven by a script: a piping file shown, a component
selected by a call, the selection read back through SelectedItems."""

import pytest


def test_a_script_selects_a_component_and_reads_it_back(kelto3d, example):
    view = kelto3d.Dispatch("Oxbay3Support.Pipeline3DViewCtrl")
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(example("drain-spool"))
    view.AddKeltoFile(file)
    view.AddKeltoFile(file)                                   # shown once
    assert len(view.Model.Children) == 1
    # Model -> file -> first pipeline -> a component (children go in key order).
    component = view.Model.Children[1].Children[1].Children[2].Object
    assert component in list(file.Pipelines[0].Components)
    view.Select(component)
    view.Select(component)                                    # once is enough
    items = view.SelectedItems
    assert (items.Count, items[1].Id, list(items)) == (1, component.Id, [component])
    for position in (0, 2):                                   # outside 1..Count
        with pytest.raises(kelto3d.ComError):
            items.Item(position)
    view.UnselectAll()
    assert items.Count == 0
    view.RemoveKeltoFile(file)
    assert len(view.Model.Children) == 0
