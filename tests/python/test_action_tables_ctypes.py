"""A late-bound host edits a mouse action table of libkelto3d.so through
IDispatch by name, as a script would: Keys, Count, Item get and put, Add,
Remove, RemoveAll, and the error texts through error information.

The libraries come from the environment (ctest sets it); without them the
test fails rather than skips:
  KELTO_RUNTIME_LIBRARY   path of libkelto3d-runtime.so
  KELTO_COMPONENT_MODULE  path of libkelto3d.so
"""

import ctypes
import os
import tempfile
import unittest

from test_runtime_ctypes import (DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                                 DISPID_PROPERTYPUT, GUID, HRESULT, IID_IDISPATCH, S_OK, VARIANT,
                                 VT_I4, CLSCTX_ALL, Dispatch, hresult, load_runtime, olestr)

DISP_E_EXCEPTION = hresult(0x80020009)
E_INVALIDARG = hresult(0x80070057)
VT_ARRAY = 0x2000

MK_LBUTTON, MK_RBUTTON, MK_SHIFT, MK_CONTROL, MK_MBUTTON, MK_XBUTTON2 = 1, 2, 4, 8, 16, 64


def i4(value):
    v = VARIANT()
    v.vt, v.v.lVal = VT_I4, value
    return v


class ErrorInfo:
    """IErrorInfo slots: 3 GetGUID, 4 GetSource, 5 GetDescription."""
    _RELEASE = ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p)
    _GET_TEXT = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p))

    def __init__(self, rt):
        self.rt = rt
        pointer = ctypes.c_void_p()
        self.hr = rt.GetErrorInfo(0, ctypes.byref(pointer))
        self.ptr = pointer.value

    def description(self):
        if not self.ptr:
            return None
        vtable = ctypes.cast(ctypes.c_void_p.from_address(self.ptr).value,
                             ctypes.POINTER(ctypes.c_void_p))
        text = ctypes.c_void_p()
        self._GET_TEXT(vtable[5])(self.ptr, ctypes.byref(text))
        result = ctypes.string_at(text, 2 * self.rt.SysStringLen(text)).decode("utf-16-le")
        self.rt.SysFreeString(text)
        self._RELEASE(vtable[2])(self.ptr)
        return result


class Table:
    """A table object driven only by member names."""

    def __init__(self, test, dispatch):
        self.test, self.d = test, dispatch

    def call(self, name, flags, args=(), named=()):
        hr, dispid = self.d.dispid(name)
        self.test.assertEqual(hr, S_OK, name)
        return self.d.invoke(dispid, flags, list(args), named)

    def ok(self, name, flags, args=(), named=()):
        hr, result = self.call(name, flags, args, named)
        self.test.assertEqual(hr, S_OK, name)
        return result

    def fails_with(self, text, name, flags, args=(), named=()):
        hr, _ = self.call(name, flags, args, named)
        self.test.assertEqual(hr, DISP_E_EXCEPTION, name)
        self.test.assertEqual(ErrorInfo(self.test.rt).description(), text)

    def count(self):
        return self.ok("Count", DISPATCH_PROPERTYGET).v.lVal

    def item(self, keys):
        return self.ok("item", DISPATCH_PROPERTYGET, [i4(keys)]).v.lVal

    def put_item(self, keys, action):
        return self.call("Item", DISPATCH_PROPERTYPUT, [i4(keys), i4(action)],
                         named=[DISPID_PROPERTYPUT])

    def keys(self):
        result = self.ok("KEYS", DISPATCH_METHOD)
        self.test.assertEqual(result.vt, VT_ARRAY | VT_I4)
        array = ctypes.c_void_p(result.v.pdispVal)
        lower, upper = ctypes.c_int32(), ctypes.c_int32()
        self.test.rt.SafeArrayGetLBound(array, 1, ctypes.byref(lower))
        self.test.rt.SafeArrayGetUBound(array, 1, ctypes.byref(upper))
        keys = []
        for i in range(lower.value, upper.value + 1):
            index, value = ctypes.c_int32(i), ctypes.c_int32()
            self.test.rt.SafeArrayGetElement(array, ctypes.byref(index), ctypes.byref(value))
            keys.append(value.value)
        self.test.rt.VariantClear(ctypes.byref(result))
        return keys


class ActionTablesCtypesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory()
        os.environ["XDG_CONFIG_HOME"] = cls.home.name
        for name in ("KELTO_RUNTIME_LIBRARY", "KELTO_COMPONENT_MODULE"):
            if not os.environ.get(name):
                raise RuntimeError(name + " is not set: run this test through ctest")
        cls.rt = load_runtime()
        for name, restype, argtypes in [
                ("GetErrorInfo", HRESULT, [ctypes.c_uint32, ctypes.POINTER(ctypes.c_void_p)]),
                ("SafeArrayGetLBound", HRESULT, [ctypes.c_void_p, ctypes.c_uint32,
                                                 ctypes.POINTER(ctypes.c_int32)]),
                ("SafeArrayGetUBound", HRESULT, [ctypes.c_void_p, ctypes.c_uint32,
                                                 ctypes.POINTER(ctypes.c_int32)]),
                ("SafeArrayGetElement", HRESULT, [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int32),
                                                  ctypes.c_void_p])]:
            fn = getattr(cls.rt, name)
            fn.restype, fn.argtypes = restype, argtypes
        module = ctypes.CDLL(os.environ["KELTO_COMPONENT_MODULE"])
        module.DllRegisterServer.restype = HRESULT
        assert module.DllRegisterServer() == S_OK
        cls.rt.CoInitialize(None)

    @classmethod
    def tearDownClass(cls):
        cls.rt.CoUninitialize()
        cls.home.cleanup()

    def create(self, progid):
        clsid = GUID()
        self.assertEqual(self.rt.CLSIDFromProgID(olestr(progid), ctypes.byref(clsid)), S_OK)
        pointer = ctypes.c_void_p()
        self.assertEqual(self.rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_ALL,
                                                  ctypes.byref(IID_IDISPATCH),
                                                  ctypes.byref(pointer)), S_OK)
        dispatch = Dispatch(self.rt, pointer.value)
        self.addCleanup(dispatch.release)
        return Table(self, dispatch)

    def test_a_drag_table_is_edited_by_name(self):
        t = self.create("Kelto3D.DragActionTable")
        self.assertEqual((t.count(), t.keys()), (0, []))  # made on its own: empty
        t.ok("Add", DISPATCH_METHOD, [i4(MK_XBUTTON2), i4(4)])
        t.ok("Add", DISPATCH_METHOD, [i4(MK_LBUTTON | MK_SHIFT), i4(1)])
        t.ok("add", DISPATCH_METHOD, [i4(MK_LBUTTON), i4(2)])
        t.ok("Add", DISPATCH_METHOD, [i4(MK_RBUTTON), i4(0)])  # none binds nothing
        self.assertEqual(t.keys(), [1, 5, 64])  # ascending
        self.assertEqual(t.count(), 3)
        self.assertEqual([t.item(k) for k in (1, 5, 64, 2)], [2, 1, 4, 0])

        self.assertEqual(t.put_item(MK_LBUTTON | MK_SHIFT, 4)[0], S_OK)  # rebind
        self.assertEqual(t.put_item(MK_MBUTTON | MK_CONTROL, 3)[0], S_OK)  # bind
        self.assertEqual(t.put_item(MK_XBUTTON2, 0)[0], S_OK)  # none unbinds
        self.assertEqual(t.keys(), [1, 5, 24])
        self.assertEqual([t.item(k) for k in (1, 5, 24)], [2, 4, 3])

        t.fails_with("Already exists.", "Add", DISPATCH_METHOD, [i4(MK_LBUTTON), i4(2)])
        t.fails_with("Unknown drag action.", "Item", DISPATCH_PROPERTYPUT,
                     [i4(MK_LBUTTON), i4(7)], named=[DISPID_PROPERTYPUT])
        self.assertEqual(t.item(MK_LBUTTON), 2)  # left as it was

        t.ok("Remove", DISPATCH_METHOD, [i4(MK_SHIFT)])  # unbound: no error
        t.ok("Remove", DISPATCH_METHOD, [i4(MK_LBUTTON)])
        self.assertEqual(t.keys(), [5, 24])
        t.ok("RemoveAll", DISPATCH_METHOD)
        self.assertEqual((t.count(), t.keys()), (0, []))

    def test_pick_and_wheel_tables_name_their_own_actions(self):
        for progid, good, bad, text in [
                ("Kelto3D.PickActionTable", 4, 5, "Unknown pick action."),
                ("Kelto3D.WheelActionTable", 1, 2, "Unknown wheel action.")]:
            with self.subTest(progid=progid):
                t = self.create(progid)
                t.ok("Add", DISPATCH_METHOD, [i4(0), i4(good)])
                self.assertEqual(t.item(0), good)
                t.fails_with(text, "Add", DISPATCH_METHOD, [i4(MK_SHIFT), i4(bad)])
                self.assertEqual(t.keys(), [0])


if __name__ == "__main__":
    unittest.main()
