"""Python values to VARIANTs and back, as a scripting client converts them.

    None                 VT_EMPTY (also what an object parameter takes as "no object")
    bool                 VT_BOOL (-1 / 0)
    int                  VT_I4 when it fits in 32 bits, else VT_R8
    float                VT_R8
    str                  VT_BSTR
    bytes, bytearray     VT_ARRAY | VT_UI1
    datetime, date       VT_DATE
    a wrapped object     VT_DISPATCH
    tuple, list          VT_ARRAY | VT_VARIANT, lower bound 0 (nested ones nest)

and back: every integer type to int, VT_R4/VT_R8 to float, VT_CY to Decimal,
VT_DATE to datetime, VT_NULL and VT_EMPTY to None, VT_ERROR to its code,
objects wrapped (a null object is None), byte arrays to bytes, other arrays to tuples (nested by
dimension, leftmost outermost; the lower bound is not kept).
"""

import ctypes
import datetime
import decimal
import operator

from ._errors import ComError, check
from ._types import (SAFEARRAYBOUND, VARIANT, VT_ARRAY, VT_BOOL, VT_BSTR, VT_BYREF, VT_CY,
                     VT_DATE, VT_DISPATCH, VT_EMPTY, VT_ERROR, VT_I1, VT_I2, VT_I4, VT_I8,
                     VT_INT, VT_NULL, VT_R4, VT_R8, VT_TYPEMASK, VT_UI1, VT_UI2, VT_UI4, VT_UI8,
                     VT_UINT, VT_UNKNOWN, VT_VARIANT, signed)

DISP_E_TYPEMISMATCH = signed(0x80020005)
_EPOCH = datetime.datetime(1899, 12, 30)
_INTEGERS = {VT_I1: "cVal", VT_I2: "iVal", VT_I4: "lVal", VT_I8: "llVal", VT_INT: "lVal",
             VT_UI1: "bVal", VT_UI2: "uiVal", VT_UI4: "ulVal", VT_UI8: "ullVal",
             VT_UINT: "ulVal", VT_ERROR: "lVal"}
_ELEMENT_SIZE = {VT_I1: 1, VT_UI1: 1, VT_I2: 2, VT_UI2: 2, VT_BOOL: 2, VT_I4: 4, VT_UI4: 4,
                 VT_INT: 4, VT_UINT: 4, VT_ERROR: 4, VT_R4: 4, VT_I8: 8, VT_UI8: 8, VT_R8: 8,
                 VT_CY: 8, VT_DATE: 8, VT_BSTR: 8, VT_DISPATCH: 8, VT_UNKNOWN: 8}


def date_to_ole(value):
    """Days since 30 December 1899; before it the time of day still counts
    forwards (-1.25 is 29 December 1899, 06:00)."""
    if not isinstance(value, datetime.datetime):
        value = datetime.datetime(value.year, value.month, value.day)
    value = value.replace(tzinfo=None)
    days = (value.date() - _EPOCH.date()).days
    time = value - datetime.datetime.combine(value.date(), datetime.time())
    fraction = time / datetime.timedelta(days=1)
    return days + fraction if days >= 0 else days - fraction


def ole_to_date(value):
    days = int(value)  # towards zero
    fraction = abs(value - days)
    micro = round(fraction * 86400e6)
    return _EPOCH + datetime.timedelta(days=days, microseconds=micro)


class Converter:
    """Conversions bound to the runtime (for BSTRs and arrays), to the
    function that wraps an object pointer (a new reference) for Python, and to
    the class of those wrappers, whose objects go back as VT_DISPATCH. The
    wrapper layer sits above this one and hands both in."""

    def __init__(self, lib, wrap, wrapper_class):
        self.lib = lib
        self.rt = lib.runtime
        self.wrap = wrap
        self.wrapper_class = wrapper_class

    # --- Python to VARIANT ------------------------------------------------------------------

    def bstr(self, text):
        data = text.encode("utf-16-le")
        pointer = self.rt.SysAllocStringLen(ctypes.create_string_buffer(data, len(data) + 2),
                                            len(data) // 2)
        if not pointer:
            raise MemoryError("no memory for a string of %d characters" % len(text))
        return pointer

    def fill(self, v, value):
        """Fills the (empty) VARIANT v with value; v then owns what it holds and
        is freed with VariantClear."""
        if value is None:
            v.vt = VT_EMPTY
        elif isinstance(value, bool):
            v.vt, v.v.boolVal = VT_BOOL, -1 if value else 0
        elif isinstance(value, int):
            if -(1 << 31) <= value < (1 << 31):
                v.vt, v.v.lVal = VT_I4, value
            else:
                try:
                    v.v.dblVal = float(value)
                except OverflowError:
                    raise OverflowError("%d is too large for any scripting number" % value) \
                        from None
                v.vt = VT_R8
        elif isinstance(value, float):
            v.vt, v.v.dblVal = VT_R8, value
        elif isinstance(value, str):
            v.v.ptr = self.bstr(value)
            v.vt = VT_BSTR
        elif isinstance(value, (datetime.datetime, datetime.date)):
            v.vt, v.v.dblVal = VT_DATE, date_to_ole(value)
        elif isinstance(value, self.wrapper_class):
            pointer = value._pointer()
            from . import _vtable
            _vtable.add_ref(pointer)
            v.vt, v.v.ptr = VT_DISPATCH, pointer
        elif isinstance(value, (bytes, bytearray)):
            v.v.ptr = self._byte_array(bytes(value))
            v.vt = VT_ARRAY | VT_UI1
        elif isinstance(value, (tuple, list)):
            v.v.ptr = self._variant_array(value)
            v.vt = VT_ARRAY | VT_VARIANT
        elif hasattr(type(value), "__index__"):  # integers of other kinds, device contexts
            self.fill(v, operator.index(value))
        else:
            raise TypeError("cannot pass a %s to a scripting object" % type(value).__name__)

    def variant(self, value):
        v = VARIANT()
        self.fill(v, value)
        return v

    def _new_array(self, vt, count):
        bound = SAFEARRAYBOUND(count, 0)
        array = self.rt.SafeArrayCreate(vt, 1, ctypes.byref(bound))
        if not array:
            raise MemoryError("no memory for an array of %d elements" % count)
        return array

    def _byte_array(self, data):
        array = self._new_array(VT_UI1, len(data))
        for i, byte in enumerate(data):
            cell = ctypes.c_uint8(byte)
            check(self.lib, self.rt.SafeArrayPutElement(array, ctypes.byref(ctypes.c_int32(i)),
                                                        ctypes.byref(cell)))
        return array

    def _variant_array(self, items):
        array = self._new_array(VT_VARIANT, len(items))
        try:
            for i, item in enumerate(items):
                element = self.variant(item)
                try:
                    check(self.lib, self.rt.SafeArrayPutElement(
                        array, ctypes.byref(ctypes.c_int32(i)), ctypes.byref(element)))
                finally:
                    self.rt.VariantClear(ctypes.byref(element))
        except BaseException:
            self.rt.SafeArrayDestroy(array)
            raise
        return array

    # --- VARIANT to Python --------------------------------------------------------------------

    def value(self, v):
        """The Python value of v; v keeps what it holds (clear it yourself)."""
        vt = v.vt
        if vt & VT_BYREF:
            return self._value_by_reference(v)
        if vt & VT_ARRAY:
            return self.array(v.v.ptr)
        if vt in (VT_EMPTY, VT_NULL):
            return None
        if vt in _INTEGERS:
            return getattr(v.v, _INTEGERS[vt])
        if vt == VT_BOOL:
            return v.v.boolVal != 0
        if vt == VT_R8:
            return v.v.dblVal
        if vt == VT_R4:
            return float(v.v.fltVal)
        if vt == VT_CY:
            return decimal.Decimal(v.v.llVal) / 10000
        if vt == VT_DATE:
            return ole_to_date(v.v.dblVal)
        if vt == VT_BSTR:
            if not v.v.ptr:
                return ""
            return ctypes.string_at(v.v.ptr, 2 * self.rt.SysStringLen(v.v.ptr)).decode(
                "utf-16-le", "replace")
        if vt in (VT_DISPATCH, VT_UNKNOWN):
            if not v.v.ptr:
                return None
            from . import _vtable
            _vtable.add_ref(v.v.ptr)
            return self.wrap(v.v.ptr)
        raise ComError(DISP_E_TYPEMISMATCH, "a value of VARIANT type %d cannot be read" % vt)

    def take(self, v):
        """The Python value of v, clearing v."""
        try:
            return self.value(v)
        finally:
            self.rt.VariantClear(ctypes.byref(v))

    def _value_by_reference(self, v):
        base = v.vt & ~VT_BYREF
        if not v.v.ptr:
            return None
        if base == VT_VARIANT:
            return self.value(VARIANT.from_address(v.v.ptr))
        copy = VARIANT()
        copy.vt = base
        size = 8 if base & VT_ARRAY else _ELEMENT_SIZE.get(base, 8)
        ctypes.memmove(ctypes.addressof(copy.v), v.v.ptr, size)
        return self.value(copy)  # borrowed: nothing to clear

    def array(self, array):
        if not array:
            return ()
        rt = self.rt
        dims = rt.SafeArrayGetDim(array)
        vt = ctypes.c_uint16()
        check(self.lib, rt.SafeArrayGetVartype(array, ctypes.byref(vt)))
        bounds = []
        for dim in range(1, dims + 1):
            low, high = ctypes.c_int32(), ctypes.c_int32()
            rt.SafeArrayGetLBound(array, dim, ctypes.byref(low))
            rt.SafeArrayGetUBound(array, dim, ctypes.byref(high))
            bounds.append((low.value, high.value))
        indices = (ctypes.c_int32 * max(dims, 1))()
        if dims == 1 and vt.value == VT_UI1:
            return bytes(self._element(array, (ctypes.c_int32 * 1)(i), VT_UI1)
                         for i in range(bounds[0][0], bounds[0][1] + 1))

        def read(depth):
            low, high = bounds[depth]
            items = []
            for i in range(low, high + 1):
                indices[depth] = i
                items.append(read(depth + 1) if depth + 1 < dims else self._element(
                    array, indices, vt.value))
            return tuple(items)

        return read(0) if dims else ()

    def _element(self, array, indices, vt):
        cell = VARIANT()
        if vt == VT_VARIANT:
            check(self.lib, self.rt.SafeArrayGetElement(array, indices, ctypes.byref(cell)))
        else:
            check(self.lib, self.rt.SafeArrayGetElement(array, indices,
                                                        ctypes.byref(cell.v)))
            cell.vt = vt
        return self.take(cell)
