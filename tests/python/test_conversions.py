"""Values through the runtime and back: each is stored in a model node
(SetAssociatedItem keeps a copy of the VARIANT) and read back, so both
directions of the package's conversion and the runtime's copy take part."""

import ctypes
import datetime

import pytest

BIG = 2 ** 31


@pytest.fixture
def node(kelto3d):
    with kelto3d.Dispatch("Oxbay3Support.ModelNode") as n:
        yield n


@pytest.mark.parametrize("value, expected", [
    (None, None),
    (True, True),
    (BIG - 1, BIG - 1),                      # the largest I4
    (-BIG, -BIG),                            # the smallest I4
    (BIG, float(BIG)),                       # beyond 32 bits: R8, as scripts do
    (1.5, 1.5),
    ("", ""),
    ("h\u00e9llo \u6f22\u5b57 \U0001F527", "h\u00e9llo \u6f22\u5b57 \U0001F527"),  # outside the BMP too
    ("a\0b", "a\0b"),                       # a BSTR has a length, not a terminator
    (b"\x00\xffab", b"\x00\xffab"),
    ((1, "two", 3.0), (1, "two", 3.0)),
    ([1, [2, [3]]], (1, (2, (3,)))),
    ((), ()),
    (datetime.datetime(2026, 12, 7, 13, 45, 30, 250000), datetime.datetime(2026, 12, 7, 13, 45, 30, 250000)),
    (datetime.date(2000, 2, 29), datetime.datetime(2000, 2, 29)),
])
def test_round_trip(node, value, expected):
    node.SetAssociatedItem("k", value)
    back = node.GetAssociatedItem("k")
    assert back == expected
    assert type(back) is type(expected)


def test_date_is_days_since_1899_with_time_counted_forwards(kelto3d):
    from kelto3d._variant import date_to_ole, ole_to_date
    cases = [(datetime.datetime(1899, 12, 30), 0.0), (datetime.datetime(1900, 1, 1, 12), 2.5),
             (datetime.datetime(1899, 12, 29, 6), -1.25)]
    for when, ole in cases:
        assert date_to_ole(when) == ole
        assert ole_to_date(ole) == when


@pytest.mark.parametrize("value, error", [
    (10 ** 400, OverflowError),
    (object(), TypeError),
])
def test_values_that_cannot_be_passed(node, value, error):
    with pytest.raises(error):
        node.SetAssociatedItem("k", value)
    assert not node.HasAssociatedItem("k")


def test_array_bounds_and_dimensions_as_the_runtime_lays_them_out(kelto3d):
    # A 2 x 3 array with lower bounds 1 and -1: rows (leftmost index)
    # outermost, whatever the bounds.
    from kelto3d._dispatch import converter
    from kelto3d._types import SAFEARRAYBOUND, VT_I4
    conv = converter()
    bounds = (SAFEARRAYBOUND * 2)(SAFEARRAYBOUND(2, 1), SAFEARRAYBOUND(3, -1))
    array = conv.rt.SafeArrayCreate(VT_I4, 2, bounds)
    for row, column in [(r, c) for r in (1, 2) for c in (-1, 0, 1)]:
        cell, index = ctypes.c_int32(10 * row + column), (ctypes.c_int32 * 2)(row, column)
        assert conv.rt.SafeArrayPutElement(array, index, ctypes.byref(cell)) == 0
    assert conv.array(array) == ((9, 10, 11), (19, 20, 21))
    conv.rt.SafeArrayDestroy(array)


@pytest.mark.parametrize("point, error", [
    ((1, 2, 3), None),
    ([4.5, "5", 6], None),           # elements convert like any argument
    ((1, 2), "DISP_E_TYPEMISMATCH"),  # a point has three
    ("1,2,3", "DISP_E_TYPEMISMATCH"),
])
def test_points_are_arrays_of_three(kelto3d, point, error):
    line = kelto3d.Dispatch("Kelto3D.Line")
    if error:
        with pytest.raises(kelto3d.ComError) as failure:
            line.Start = point
        assert failure.value.name == error
        assert line.Start == (0.0, 0.0, 0.0)
    else:
        line.Start = point
        assert line.Start == tuple(float(v) for v in point)
