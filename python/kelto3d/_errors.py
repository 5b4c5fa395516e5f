"""ComError: a failed call, with its HRESULT and the error information the
object left (description and source)."""

import ctypes

from . import _vtable
from ._types import HRESULT, signed

# The codes a script meets, by name; others show as hex.
NAMES = {signed(code): name for name, code in {
    "S_OK": 0, "S_FALSE": 1,
    "E_NOTIMPL": 0x80004001, "E_NOINTERFACE": 0x80004002, "E_POINTER": 0x80004003,
    "E_ABORT": 0x80004004, "E_FAIL": 0x80004005, "E_UNEXPECTED": 0x8000FFFF,
    "E_ACCESSDENIED": 0x80070005, "E_HANDLE": 0x80070006, "E_OUTOFMEMORY": 0x8007000E,
    "E_INVALIDARG": 0x80070057,
    "CLASS_E_CLASSNOTAVAILABLE": 0x80040111, "REGDB_E_CLASSNOTREG": 0x80040154,
    "CO_E_CLASSSTRING": 0x800401F3, "CONNECT_E_NOCONNECTION": 0x80040200,
    "CONNECT_E_CANNOTCONNECT": 0x80040202, "OLE_E_NOT_INPLACEACTIVE": 0x80040010,
    "DISP_E_UNKNOWNINTERFACE": 0x80020001, "DISP_E_MEMBERNOTFOUND": 0x80020003,
    "DISP_E_PARAMNOTFOUND": 0x80020004, "DISP_E_TYPEMISMATCH": 0x80020005,
    "DISP_E_UNKNOWNNAME": 0x80020006, "DISP_E_NONAMEDARGS": 0x80020007,
    "DISP_E_BADVARTYPE": 0x80020008, "DISP_E_EXCEPTION": 0x80020009,
    "DISP_E_OVERFLOW": 0x8002000A, "DISP_E_BADINDEX": 0x8002000B,
    "DISP_E_BADPARAMCOUNT": 0x8002000E, "DISP_E_PARAMNOTOPTIONAL": 0x8002000F,
    "DISP_E_NOTACOLLECTION": 0x80020011, "TYPE_E_ELEMENTNOTFOUND": 0x8002802B,
}.items()}

# What a code means when the object left no description.
_MEANINGS = {
    "E_NOTIMPL": "Not implemented.", "E_NOINTERFACE": "No such interface supported.",
    "E_POINTER": "Invalid pointer.", "E_FAIL": "Unspecified error.",
    "E_INVALIDARG": "The parameter is incorrect.", "E_OUTOFMEMORY": "Out of memory.",
    "REGDB_E_CLASSNOTREG": "Class not registered.", "CO_E_CLASSSTRING": "Invalid class string.",
    "DISP_E_MEMBERNOTFOUND": "Member not found.", "DISP_E_TYPEMISMATCH": "Type mismatch.",
    "DISP_E_UNKNOWNNAME": "Unknown name.", "DISP_E_NONAMEDARGS": "Does not support named arguments.",
    "DISP_E_OVERFLOW": "Out of present range.", "DISP_E_BADINDEX": "Invalid index.",
    "DISP_E_BADPARAMCOUNT": "Invalid number of parameters.",
    "DISP_E_PARAMNOTOPTIONAL": "Parameter not optional.",
    "DISP_E_NOTACOLLECTION": "Does not support a collection.",
}


_NO_SOURCE = "{00000000-0000-0000-0000-000000000000}"


def name_of(hresult):
    hresult = signed(hresult)
    return NAMES.get(hresult, "0x%08X" % (hresult & 0xFFFFFFFF))


class ComError(Exception):
    """A call that failed.

    hresult      the failure code (for a member that failed inside Invoke, the
                 member's own code, not DISP_E_EXCEPTION)
    name         the code's symbolic name, or its hex form
    description  what the object said went wrong ("Invalid Position"), else
                 the code's standard meaning
    source       where: the failing class's id as the object reported it
    member       the member called, when the failure came from a call by name
    argument     the position (0-based, first argument 0) of the argument that
                 could not be converted, when Invoke named one
    """

    def __init__(self, hresult, description=None, source=None, member=None, argument=None):
        self.hresult = signed(hresult)
        self.name = name_of(self.hresult)
        self.description = description or _MEANINGS.get(self.name, "")
        self.source = "" if not source or source == _NO_SOURCE else source
        self.member = member
        self.argument = argument
        super().__init__(self.hresult, self.description)

    def __str__(self):
        where = " in %s" % self.member if self.member else ""
        text = "%s (%s)%s" % (self.description or self.name, self.name, where)
        return text + (" [%s]" % self.source if self.source else "")


def bstr_text(lib, bstr, free=True):
    """A BSTR's text (None for a null BSTR), freed unless told otherwise."""
    if not bstr:
        return None
    rt = lib.runtime
    text = ctypes.string_at(bstr, 2 * rt.SysStringLen(bstr)).decode("utf-16-le", "replace")
    if free:
        rt.SysFreeString(bstr)
    return text


def pending_error_info(lib):
    """(description, source) of the thread's error information, consumed; (None,
    None) when there is none."""
    info = ctypes.c_void_p()
    if lib.runtime.GetErrorInfo(0, ctypes.byref(info)) != 0 or not info.value:
        return None, None
    texts = []
    for index in (4, 5):  # GetSource, GetDescription
        bstr = ctypes.c_void_p()
        _vtable.slot(info.value, index, HRESULT, ctypes.POINTER(ctypes.c_void_p))(
            ctypes.byref(bstr))
        texts.append(bstr_text(lib, bstr.value))
    _vtable.release(info.value)
    return texts[1], texts[0]


def check(lib, hresult, member=None):
    """Raises ComError for a failure code, with the pending error information."""
    if hresult < 0:
        description, source = pending_error_info(lib)
        raise ComError(hresult, description, source, member)
    return hresult
