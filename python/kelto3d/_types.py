"""The scripting ABI's structures as ctypes sees them (x86-64 layout)."""

import ctypes
import uuid

HRESULT = ctypes.c_int32  # 32-bit on Linux as everywhere in the ABI
DISPID = ctypes.c_int32
VARTYPE = ctypes.c_uint16

# VARIANT types the package reads and writes.
VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE = 0, 1, 2, 3, 4, 5, 6, 7
VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT, VT_UNKNOWN = 8, 9, 10, 11, 12, 13
VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT = 16, 17, 18, 19, 20, 21, 22, 23
VT_ARRAY, VT_BYREF, VT_TYPEMASK = 0x2000, 0x4000, 0x0FFF

DISPATCH_METHOD, DISPATCH_PROPERTYGET = 1, 2
DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF = 4, 8
DISPID_VALUE, DISPID_PROPERTYPUT, DISPID_NEWENUM = 0, -3, -4
LOCALE_SYSTEM_DEFAULT = 0x800
CLSCTX_INPROC_SERVER = 1


def signed(value):
    """An HRESULT written as 0x8....... in its signed 32-bit form."""
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


class GUID(ctypes.Structure):
    _fields_ = [("Data1", ctypes.c_uint32), ("Data2", ctypes.c_uint16),
                ("Data3", ctypes.c_uint16), ("Data4", ctypes.c_uint8 * 8)]

    @classmethod
    def of(cls, text):
        return cls.from_buffer_copy(uuid.UUID(text).bytes_le)

    def __eq__(self, other):
        return isinstance(other, GUID) and bytes(self) == bytes(other)

    def __hash__(self):
        return hash(bytes(self))

    def __str__(self):
        return "{%s}" % str(uuid.UUID(bytes_le=bytes(self))).upper()

    __repr__ = __str__


IID_NULL = GUID()
IID_IUnknown = GUID.of("00000000-0000-0000-C000-000000000046")
IID_IDispatch = GUID.of("00020400-0000-0000-C000-000000000046")
IID_IEnumVARIANT = GUID.of("00020404-0000-0000-C000-000000000046")
IID_IConnectionPointContainer = GUID.of("B196B284-BAB4-101A-B69C-00AA00341D07")


class _VariantValue(ctypes.Union):
    _fields_ = [("llVal", ctypes.c_int64), ("ullVal", ctypes.c_uint64),
                ("lVal", ctypes.c_int32), ("ulVal", ctypes.c_uint32),
                ("iVal", ctypes.c_int16), ("uiVal", ctypes.c_uint16),
                ("cVal", ctypes.c_int8), ("bVal", ctypes.c_uint8),
                ("boolVal", ctypes.c_int16), ("fltVal", ctypes.c_float),
                ("dblVal", ctypes.c_double), ("ptr", ctypes.c_void_p),
                ("raw", ctypes.c_uint8 * 16)]


class VARIANT(ctypes.Structure):
    _fields_ = [("vt", VARTYPE), ("wReserved1", ctypes.c_uint16),
                ("wReserved2", ctypes.c_uint16), ("wReserved3", ctypes.c_uint16),
                ("v", _VariantValue)]


assert ctypes.sizeof(VARIANT) == 24


class DISPPARAMS(ctypes.Structure):
    _fields_ = [("rgvarg", ctypes.POINTER(VARIANT)), ("rgdispidNamedArgs", ctypes.POINTER(DISPID)),
                ("cArgs", ctypes.c_uint32), ("cNamedArgs", ctypes.c_uint32)]


class EXCEPINFO(ctypes.Structure):
    _fields_ = [("wCode", ctypes.c_uint16), ("wReserved", ctypes.c_uint16),
                ("bstrSource", ctypes.c_void_p), ("bstrDescription", ctypes.c_void_p),
                ("bstrHelpFile", ctypes.c_void_p), ("dwHelpContext", ctypes.c_uint32),
                ("pvReserved", ctypes.c_void_p), ("pfnDeferredFillIn", ctypes.c_void_p),
                ("scode", ctypes.c_int32)]


class SAFEARRAYBOUND(ctypes.Structure):
    _fields_ = [("cElements", ctypes.c_uint32), ("lLbound", ctypes.c_int32)]


class CONNECTDATA(ctypes.Structure):
    _fields_ = [("pUnk", ctypes.c_void_p), ("dwCookie", ctypes.c_uint32)]


class TYPEDESC(ctypes.Structure):
    _fields_ = [("lptdesc", ctypes.c_void_p), ("vt", VARTYPE)]


class ELEMDESC(ctypes.Structure):
    _fields_ = [("tdesc", TYPEDESC), ("pparamdescex", ctypes.c_void_p),
                ("wParamFlags", ctypes.c_uint16)]


class FUNCDESC(ctypes.Structure):
    _fields_ = [("memid", DISPID), ("lprgscode", ctypes.c_void_p),
                ("lprgelemdescParam", ctypes.POINTER(ELEMDESC)), ("funckind", ctypes.c_int32),
                ("invkind", ctypes.c_int32), ("callconv", ctypes.c_int32),
                ("cParams", ctypes.c_int16), ("cParamsOpt", ctypes.c_int16),
                ("oVft", ctypes.c_int16), ("cScodes", ctypes.c_int16),
                ("elemdescFunc", ELEMDESC), ("wFuncFlags", ctypes.c_uint16)]


class TYPEATTR(ctypes.Structure):
    _fields_ = [("guid", GUID), ("lcid", ctypes.c_uint32), ("dwReserved", ctypes.c_uint32),
                ("memidConstructor", DISPID), ("memidDestructor", DISPID),
                ("lpstrSchema", ctypes.c_void_p), ("cbSizeInstance", ctypes.c_uint32),
                ("typekind", ctypes.c_int32), ("cFuncs", ctypes.c_uint16),
                ("cVars", ctypes.c_uint16), ("cImplTypes", ctypes.c_uint16),
                ("cbSizeVft", ctypes.c_uint16), ("cbAlignment", ctypes.c_uint16),
                ("wTypeFlags", ctypes.c_uint16), ("wMajorVerNum", ctypes.c_uint16),
                ("wMinorVerNum", ctypes.c_uint16), ("tdescAlias", TYPEDESC),
                ("idldescType", TYPEDESC)]


class VARDESC(ctypes.Structure):
    _fields_ = [("memid", DISPID), ("lpstrSchema", ctypes.c_void_p),
                ("lpvarValue", ctypes.POINTER(VARIANT)), ("elemdescVar", ELEMDESC),
                ("wVarFlags", ctypes.c_uint16), ("varkind", ctypes.c_int32)]


assert (ctypes.sizeof(FUNCDESC), ctypes.sizeof(VARDESC), ctypes.sizeof(TYPEATTR)) == (88, 64, 96)
