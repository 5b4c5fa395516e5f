"""What an object's type information says about its members: names,
dispids, kinds (method, get, put, putref) and parameters. The wrapper uses it
to tell methods from properties, to place named arguments and to return
[out] parameters; dir() and help() show it."""

import ctypes

from . import _errors, _vtable
from ._types import FUNCDESC, GUID, HRESULT, LOCALE_SYSTEM_DEFAULT, TYPEATTR

INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF = 1, 2, 4, 8
PARAMFLAG_FOUT, PARAMFLAG_FRETVAL, PARAMFLAG_FOPT, PARAMFLAG_FHASDEFAULT = 2, 8, 0x10, 0x20
_KIND_NAMES = {INVOKE_FUNC: "method", INVOKE_PROPERTYGET: "get", INVOKE_PROPERTYPUT: "put",
               INVOKE_PROPERTYPUTREF: "putref"}

_P = ctypes.POINTER
_cache = {}  # interface GUID -> TypeDescription


class Parameter:
    __slots__ = ("name", "flags")

    def __init__(self, name, flags):
        self.name, self.flags = name, flags

    @property
    def optional(self):
        return bool(self.flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT))

    @property
    def out(self):
        return bool(self.flags & PARAMFLAG_FOUT)


class Member:
    """One name of an interface: its dispid and, per invoke kind, the
    parameters a caller passes."""

    def __init__(self, name, dispid):
        self.name, self.dispid = name, dispid
        self.kinds = {}  # invoke kind -> [Parameter]

    def parameters(self, flags):
        for kind in (INVOKE_FUNC, INVOKE_PROPERTYGET):
            if flags & kind and kind in self.kinds:
                return self.kinds[kind]
        return None

    @property
    def is_property(self):
        """A getter that takes no arguments: read on attribute access."""
        params = self.kinds.get(INVOKE_PROPERTYGET)
        return params is not None and not any(not p.optional for p in params)

    def signature(self):
        kinds = "/".join(_KIND_NAMES[k] for k in sorted(self.kinds))
        params = self.parameters(INVOKE_FUNC | INVOKE_PROPERTYGET) or \
            next(iter(self.kinds.values()))
        shown = ["[%s]" % p.name if p.optional else p.name for p in params
                 if not (self.kinds.get(INVOKE_PROPERTYPUT) is params)]
        return "%s(%s)  %s, dispid %d" % (self.name, ", ".join(shown), kinds, self.dispid)


class TypeDescription:
    def __init__(self, name, members):
        self.name = name
        self.members = members  # lower-case name -> Member

    def find(self, name):
        return self.members.get(name.lower())


def _names(lib, info, memid):
    out = (ctypes.c_void_p * 64)()
    count = ctypes.c_uint32()
    hr = _vtable.slot(info, 7, HRESULT, ctypes.c_int32, ctypes.c_void_p, ctypes.c_uint32,
                      _P(ctypes.c_uint32))(memid, out, 64, ctypes.byref(count))
    if hr < 0:
        return []
    return [_errors.bstr_text(lib, out[i]) or "" for i in range(count.value)]


def _type_name(lib, info):
    bstr = ctypes.c_void_p()
    hr = _vtable.slot(info, 12, HRESULT, ctypes.c_int32, _P(ctypes.c_void_p), ctypes.c_void_p,
                      ctypes.c_void_p, ctypes.c_void_p)(-1, ctypes.byref(bstr), None, None, None)
    return _errors.bstr_text(lib, bstr.value) if hr >= 0 else None


def describe(lib, info):
    """The TypeDescription of an ITypeInfo pointer (borrowed), cached per
    interface."""
    attr = _P(TYPEATTR)()
    if _vtable.slot(info, 3, HRESULT, _P(_P(TYPEATTR)))(ctypes.byref(attr)) < 0:
        return None
    guid, count = GUID.from_buffer_copy(attr.contents.guid), attr.contents.cFuncs
    _vtable.slot(info, 19, None, _P(TYPEATTR))(attr)
    if guid in _cache:
        return _cache[guid]
    members = {}
    for index in range(count):
        func = _P(FUNCDESC)()
        if _vtable.slot(info, 5, HRESULT, ctypes.c_uint32, _P(_P(FUNCDESC)))(
                index, ctypes.byref(func)) < 0:
            continue
        f = func.contents
        names = _names(lib, info, f.memid)
        if names:
            member = members.setdefault(names[0].lower(), Member(names[0], f.memid))
            params = []
            for i in range(f.cParams):
                flags = f.lprgelemdescParam[i].wParamFlags
                params.append(Parameter(names[i + 1] if i + 1 < len(names) else "arg%d" % (i + 1),
                                        flags))
            member.kinds[f.invkind] = params
        _vtable.slot(info, 20, None, _P(FUNCDESC))(func)
    description = _cache[guid] = TypeDescription(_type_name(lib, info) or str(guid), members)
    return description


def of_dispatch(lib, pointer):
    """The TypeDescription of an IDispatch's interface, or None when it has
    no type information."""
    count = ctypes.c_uint32()
    if _vtable.slot(pointer, 3, HRESULT, _P(ctypes.c_uint32))(ctypes.byref(count)) < 0 or \
            count.value < 1:
        return None
    info = ctypes.c_void_p()
    if _vtable.slot(pointer, 4, HRESULT, ctypes.c_uint32, ctypes.c_uint32,
                    _P(ctypes.c_void_p))(0, LOCALE_SYSTEM_DEFAULT, ctypes.byref(info)) < 0 \
            or not info.value:
        return None
    try:
        return describe(lib, info.value)
    finally:
        _vtable.release(info.value)
