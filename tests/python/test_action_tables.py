"""The mouse action tables edited by name, as a script does: Keys, Count,
Item get and put, Add, Remove, RemoveAll, and their error texts."""

import pytest


def test_a_drag_table_is_edited_by_name(kelto3d):
    t = kelto3d.Dispatch("Kelto3D.DragActionTable")
    for keys, action in [(64, 4), (5, 1), (1, 2), (2, 0)]:    # none binds nothing
        t.Add(keys, action)
    assert (t.count, t.KEYS()) == (3, (1, 5, 64))             # ascending
    for keys, action in [(5, 4), (24, 3), (64, 0)]:           # rebind, bind, none unbinds
        t[keys] = action
    assert [(k, t.Item(k)) for k in t.Keys()] == [(1, 2), (5, 4), (24, 3)]
    with pytest.raises(kelto3d.ComError, match="Unknown drag action."):
        t[1] = 7
    assert t[1] == 2                                          # left as it was
    t.Remove(4)                                               # unbound: no error
    t.Remove(1)
    assert t.Keys() == (5, 24)
    t.RemoveAll()
    assert (t.Count, t.Keys()) == (0, ())


@pytest.mark.parametrize("progid, good, bad, text", [
    ("Kelto3D.PickActionTable", 4, 5, "Unknown pick action."),
    ("Kelto3D.WheelActionTable", 1, 2, "Unknown wheel action."),
])
def test_pick_and_wheel_tables_name_their_own_actions(kelto3d, progid, good, bad, text):
    t = kelto3d.Dispatch(progid)
    t.Add(0, good)
    with pytest.raises(kelto3d.ComError) as failure:
        t.Add(4, bad)
    assert failure.value.description == text
    assert (t.Keys(), t[0]) == ((0,), good)

