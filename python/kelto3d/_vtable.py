"""Calling an interface pointer through its vtable, slot by slot."""

import ctypes

from ._types import GUID, HRESULT

_prototypes = {}


def slot(pointer, index, restype, *argtypes):
    """The function in slot `index` of the interface at `pointer`, as a
    callable taking the arguments after `this`."""
    key = (restype, argtypes)
    proto = _prototypes.get(key)
    if proto is None:
        proto = _prototypes[key] = ctypes.CFUNCTYPE(restype, ctypes.c_void_p, *argtypes)
    table = ctypes.cast(ctypes.c_void_p.from_address(pointer).value,
                        ctypes.POINTER(ctypes.c_void_p))
    function = proto(table[index])
    return lambda *args: function(pointer, *args)


def add_ref(pointer):
    return slot(pointer, 1, ctypes.c_uint32)()


def release(pointer):
    return slot(pointer, 2, ctypes.c_uint32)()


def query_interface(pointer, iid):
    """A new reference to the interface `iid` (a GUID) of the object, or None."""
    out = ctypes.c_void_p()
    hr = slot(pointer, 0, HRESULT, ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p))(
        ctypes.byref(iid), ctypes.byref(out))
    return out.value if hr >= 0 and out.value else None


def identity(pointer):
    """The object's IUnknown address: equal for every interface of one object."""
    from ._types import IID_IUnknown
    unknown = query_interface(pointer, IID_IUnknown)
    if unknown is None:
        return pointer
    release(unknown)
    return unknown
