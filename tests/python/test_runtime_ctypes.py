"""Drives libkelto3d-runtime.so from Python's ctypes, as a late-binding host
would: text and VARIANT functions through their C names, and a module's class
through CoCreateInstance and the raw IDispatch vtable.

The libraries come from the environment (ctest sets it; conftest.py fills it
in from the build tree when pytest runs on its own):
  KELTO_RUNTIME_LIBRARY   path of libkelto3d-runtime.so
  KELTO_TEST_MODULE       path of the test module (one dual-interface class)
  KELTO_COMPONENT_MODULE  path of libkelto3d.so
"""

import ctypes
import os
import tempfile
import unittest
import uuid

HRESULT = ctypes.c_int32  # "long" in the scripting ABI is 32-bit on Linux too


def hresult(value):
    """The signed form of an HRESULT written as 0x8....... ."""
    return value - (1 << 32) if value & 0x80000000 else value


S_OK = 0
CLASS_E_CLASSNOTAVAILABLE = hresult(0x80040111)
REGDB_E_CLASSNOTREG = hresult(0x80040154)
DISP_E_TYPEMISMATCH = hresult(0x80020005)
DISP_E_UNKNOWNNAME = hresult(0x80020006)
DISP_E_BADPARAMCOUNT = hresult(0x8002000E)

VT_EMPTY, VT_I4, VT_BSTR = 0, 3, 8
CLSCTX_ALL = 0x17
DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT = 1, 2, 4
DISPID_PROPERTYPUT = -3
KEY_WRITE = 0x20006
REG_SZ = 1
HKEY_CLASSES_ROOT = ctypes.c_void_p(hresult(0x80000000))  # sign-extended, as hosts pass it


class GUID(ctypes.Structure):
    _fields_ = [("Data1", ctypes.c_uint32), ("Data2", ctypes.c_uint16),
                ("Data3", ctypes.c_uint16), ("Data4", ctypes.c_uint8 * 8)]

    @classmethod
    def of(cls, text):
        return cls.from_buffer_copy(uuid.UUID(text).bytes_le)

    def __eq__(self, other):
        return bytes(self) == bytes(other)


class _VariantValue(ctypes.Union):
    _fields_ = [("llVal", ctypes.c_int64), ("lVal", ctypes.c_int32),
                ("dblVal", ctypes.c_double), ("bstrVal", ctypes.c_void_p),
                ("pdispVal", ctypes.c_void_p), ("raw", ctypes.c_uint8 * 16)]


class VARIANT(ctypes.Structure):
    _fields_ = [("vt", ctypes.c_uint16), ("wReserved1", ctypes.c_uint16),
                ("wReserved2", ctypes.c_uint16), ("wReserved3", ctypes.c_uint16),
                ("v", _VariantValue)]


class DISPPARAMS(ctypes.Structure):
    _fields_ = [("rgvarg", ctypes.POINTER(VARIANT)),
                ("rgdispidNamedArgs", ctypes.POINTER(ctypes.c_int32)),
                ("cArgs", ctypes.c_uint32), ("cNamedArgs", ctypes.c_uint32)]


IID_NULL = GUID()
IID_IDISPATCH = GUID.of("00020400-0000-0000-C000-000000000046")
IID_ICALCULATOR = GUID.of("6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A40")
CLSID_CALCULATOR = GUID.of("6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A41")


def olestr(text):
    """A null-terminated UTF-16 buffer (OLECHAR is 16-bit; wchar_t is not)."""
    return ctypes.create_string_buffer(text.encode("utf-16-le") + b"\0\0")


def required(name):
    """A library path from the environment; ctest and conftest.py set them."""
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(name + " is not set: run the tests through ctest or pytest")
    return value


def load_runtime():
    rt = ctypes.CDLL(required("KELTO_RUNTIME_LIBRARY"))
    signatures = {
        "SysAllocString": (ctypes.c_void_p, [ctypes.c_void_p]),
        "SysAllocStringLen": (ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_uint32]),
        "SysStringLen": (ctypes.c_uint32, [ctypes.c_void_p]),
        "SysFreeString": (None, [ctypes.c_void_p]),
        "VariantInit": (None, [ctypes.POINTER(VARIANT)]),
        "VariantClear": (HRESULT, [ctypes.POINTER(VARIANT)]),
        "VariantChangeType": (HRESULT, [ctypes.POINTER(VARIANT), ctypes.POINTER(VARIANT),
                                        ctypes.c_uint16, ctypes.c_uint16]),
        "CLSIDFromProgID": (HRESULT, [ctypes.c_void_p, ctypes.POINTER(GUID)]),
        "CoCreateInstance": (HRESULT, [ctypes.POINTER(GUID), ctypes.c_void_p, ctypes.c_uint32,
                                       ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)]),
        "CoInitialize": (HRESULT, [ctypes.c_void_p]),
        "CoUninitialize": (None, []),
        "RegCreateKeyExA": (ctypes.c_int32, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint32,
                                             ctypes.c_char_p, ctypes.c_uint32, ctypes.c_uint32,
                                             ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p),
                                             ctypes.c_void_p]),
        "RegSetValueExA": (ctypes.c_int32, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint32,
                                            ctypes.c_uint32, ctypes.c_char_p, ctypes.c_uint32]),
        "RegCloseKey": (ctypes.c_int32, [ctypes.c_void_p]),
    }
    for name, (restype, argtypes) in signatures.items():
        fn = getattr(rt, name)
        fn.restype, fn.argtypes = restype, argtypes
    return rt


class Dispatch:
    """An IDispatch pointer called through its vtable, slot by slot."""

    # Slots: 0 QueryInterface, 1 AddRef, 2 Release, 3 GetTypeInfoCount,
    # 4 GetTypeInfo, 5 GetIDsOfNames, 6 Invoke. `this` is the first argument.
    _RELEASE = ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p)
    _GET_IDS = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(GUID),
                                ctypes.POINTER(ctypes.c_void_p), ctypes.c_uint32,
                                ctypes.c_uint32, ctypes.POINTER(ctypes.c_int32))
    _INVOKE = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_int32, ctypes.POINTER(GUID),
                               ctypes.c_uint32, ctypes.c_uint16, ctypes.POINTER(DISPPARAMS),
                               ctypes.POINTER(VARIANT), ctypes.c_void_p,
                               ctypes.POINTER(ctypes.c_uint32))

    def __init__(self, rt, pointer):
        self.rt, self.ptr = rt, pointer
        vtable = ctypes.cast(ctypes.c_void_p.from_address(pointer).value,
                             ctypes.POINTER(ctypes.c_void_p))
        self._slot = lambda i, proto: proto(vtable[i])

    def release(self):
        return self._slot(2, self._RELEASE)(self.ptr)

    def dispid(self, name):
        buffer = olestr(name)
        names = (ctypes.c_void_p * 1)(ctypes.cast(buffer, ctypes.c_void_p))
        out = (ctypes.c_int32 * 1)()
        hr = self._slot(5, self._GET_IDS)(self.ptr, ctypes.byref(IID_NULL), names, 1, 0x800, out)
        return hr, out[0]

    def invoke(self, dispid, flags, args=(), named=()):
        """args in call order (owned by the call: their BSTRs are freed after
        it); returns (HRESULT, result VARIANT)."""
        count = len(args)
        variants = (VARIANT * max(count, 1))()
        for i, arg in enumerate(reversed(args)):  # last argument first
            variants[i] = arg
        ids = (ctypes.c_int32 * max(len(named), 1))(*named)
        params = DISPPARAMS(variants, ids, count, len(named))
        result = VARIANT()
        arg_err = ctypes.c_uint32(0)
        hr = self._slot(6, self._INVOKE)(self.ptr, dispid, ctypes.byref(IID_NULL), 0x800, flags,
                                         ctypes.byref(params), ctypes.byref(result), None,
                                         ctypes.byref(arg_err))
        for i in range(count):
            self.rt.VariantClear(ctypes.byref(variants[i]))
        return hr, result


class RuntimeCtypesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The settings store follows XDG_CONFIG_HOME; never touch the real one.
        cls.home = tempfile.TemporaryDirectory()
        os.environ["XDG_CONFIG_HOME"] = cls.home.name
        cls.rt = load_runtime()

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    # --- helpers -------------------------------------------------------------------

    def bstr(self, text):
        data = text.encode("utf-16-le")
        return self.rt.SysAllocStringLen(ctypes.create_string_buffer(data, len(data) + 2),
                                         len(data) // 2)

    def text(self, bstr):
        return ctypes.string_at(bstr, 2 * self.rt.SysStringLen(bstr)).decode("utf-16-le")

    def bstr_variant(self, text):
        v = VARIANT()
        v.vt = VT_BSTR
        v.v.bstrVal = self.bstr(text)
        return v

    def write_key(self, path, value):
        key = ctypes.c_void_p()
        self.assertEqual(self.rt.RegCreateKeyExA(HKEY_CLASSES_ROOT, path.encode(), 0, None, 0,
                                                 KEY_WRITE, None, ctypes.byref(key), None), 0)
        data = value.encode() + b"\0"
        self.assertEqual(self.rt.RegSetValueExA(key, None, 0, REG_SZ, data, len(data)), 0)
        self.rt.RegCloseKey(key)

    # --- strings and variants --------------------------------------------------------

    def test_bstr_keeps_length_and_embedded_nulls(self):
        for text in ["", "pipe", "h\u00e9llo \u6f22\u5b57", "a\0b"]:
            with self.subTest(text=text):
                b = self.bstr(text)
                self.assertEqual(self.rt.SysStringLen(b), len(text.encode("utf-16-le")) // 2)
                self.assertEqual(self.text(b), text)
                self.rt.SysFreeString(b)
        b = self.rt.SysAllocString(olestr("DN150"))
        self.assertEqual(self.rt.SysStringLen(b), 5)
        self.rt.SysFreeString(b)
        self.assertEqual(self.rt.SysStringLen(None), 0)

    def test_variant_change_type_from_text(self):
        cases = [(" 42 ", S_OK, 42), ("-7", S_OK, -7), ("abc", DISP_E_TYPEMISMATCH, None)]
        for source, expected_hr, expected in cases:
            with self.subTest(source=source):
                src, dst = self.bstr_variant(source), VARIANT()
                self.rt.VariantInit(ctypes.byref(dst))
                hr = self.rt.VariantChangeType(ctypes.byref(dst), ctypes.byref(src), 0, VT_I4)
                self.assertEqual(hr, expected_hr)
                if expected is not None:
                    self.assertEqual((dst.vt, dst.v.lVal), (VT_I4, expected))
                self.rt.VariantClear(ctypes.byref(src))
                self.rt.VariantClear(ctypes.byref(dst))

    # --- a scripting host's view of a module ---------------------------------------------

    def create_calculator(self):
        module = required("KELTO_TEST_MODULE")
        clsid = "{6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A41}"
        # What a module's registration writes, as a host's installer would.
        self.write_key("KeltoTest.Calculator.1\\CLSID", clsid)
        self.write_key("KeltoTest.Calculator\\CurVer", "KeltoTest.Calculator.1")
        self.write_key("CLSID\\" + clsid + "\\InprocServer32", module)

        found = GUID()
        self.assertEqual(self.rt.CLSIDFromProgID(olestr("KeltoTest.Calculator"),
                                                 ctypes.byref(found)), S_OK)
        self.assertEqual(found, CLSID_CALCULATOR)
        pointer = ctypes.c_void_p()
        self.assertEqual(self.rt.CoCreateInstance(ctypes.byref(found), None, CLSCTX_ALL,
                                                  ctypes.byref(IID_IDISPATCH),
                                                  ctypes.byref(pointer)), S_OK)
        return Dispatch(self.rt, pointer.value)

    def test_host_drives_a_module_class_through_idispatch(self):
        self.assertIn(self.rt.CoInitialize(None), (0, 1))
        calc = self.create_calculator()
        try:
            hr, add = calc.dispid("add")  # names are case-insensitive
            self.assertEqual((hr, add), (S_OK, 1))
            hr, _ = calc.dispid("Subtract")
            self.assertEqual(hr, DISP_E_UNKNOWNNAME)

            two = VARIANT()
            two.vt, two.v.lVal = VT_I4, 2
            forty = self.bstr_variant("40")  # converted like any late-bound argument
            hr, result = calc.invoke(add, DISPATCH_METHOD, [two, forty])
            self.assertEqual((hr, result.vt, result.v.lVal), (S_OK, VT_I4, 42))
            hr, _ = calc.invoke(add, DISPATCH_METHOD, [two])
            self.assertEqual(hr, DISP_E_BADPARAMCOUNT)
            hr, _ = calc.invoke(add, DISPATCH_METHOD, [two, self.bstr_variant("forty")])
            self.assertEqual(hr, DISP_E_TYPEMISMATCH)

            _, name = calc.dispid("Name")
            hr, _ = calc.invoke(name, DISPATCH_PROPERTYPUT, [self.bstr_variant("rack 7")],
                                named=[DISPID_PROPERTYPUT])
            self.assertEqual(hr, S_OK)
            hr, result = calc.invoke(name, DISPATCH_PROPERTYGET)
            self.assertEqual((hr, result.vt), (S_OK, VT_BSTR))
            self.assertEqual(self.text(result.v.bstrVal), "rack 7")
            self.rt.VariantClear(ctypes.byref(result))
        finally:
            self.assertEqual(calc.release(), 0)
            self.rt.CoUninitialize()

    def test_unknown_class_is_not_registered(self):
        pointer = ctypes.c_void_p()
        clsid = GUID.of("00000000-1111-4222-8333-444444444444")
        hr = self.rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_ALL,
                                      ctypes.byref(IID_IDISPATCH), ctypes.byref(pointer))
        self.assertEqual(hr, REGDB_E_CLASSNOTREG)
        self.assertIsNone(pointer.value)

    def test_component_module_entry_points(self):
        module = ctypes.CDLL(required("KELTO_COMPONENT_MODULE"))
        for name in ["DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
                     "DllUnregisterServer"]:
            getattr(module, name).restype = HRESULT
        self.assertEqual(module.DllRegisterServer(), S_OK)
        self.assertEqual(module.DllUnregisterServer(), S_OK)
        self.assertEqual(module.DllCanUnloadNow(), S_OK)
        unknown = GUID.of("00000000-1111-4222-8333-555555555555")
        out = ctypes.c_void_p()
        module.DllGetClassObject.argtypes = [ctypes.POINTER(GUID), ctypes.POINTER(GUID),
                                             ctypes.POINTER(ctypes.c_void_p)]
        self.assertEqual(module.DllGetClassObject(ctypes.byref(unknown),
                                                  ctypes.byref(IID_IDISPATCH),
                                                  ctypes.byref(out)), CLASS_E_CLASSNOTAVAILABLE)


if __name__ == "__main__":
    unittest.main()
