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
                                 VT_EMPTY, VT_I4, CLSCTX_ALL, Dispatch, hresult, load_runtime, olestr)

DISP_E_EXCEPTION = hresult(0x80020009)
VT_ARRAY = 0x2000



def i4(value):
    v = VARIANT()
    v.vt, v.v.lVal = VT_I4, value
    return v


class Table:
    """A table object driven only by member names."""
    _RELEASE = ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p)
    _GET_TEXT = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p))

    def __init__(self, test, dispatch):
        self.test, self.rt, self.d = test, test.rt, dispatch

    def call(self, name, flags, *args):
        hr, dispid = self.d.dispid(name)
        self.test.assertEqual(hr, S_OK, name)
        named = [DISPID_PROPERTYPUT] if flags == DISPATCH_PROPERTYPUT else []
        hr, result = self.d.invoke(dispid, flags, [i4(a) for a in args], named)
        if hr == DISP_E_EXCEPTION:
            return self.error_text()
        self.test.assertEqual(hr, S_OK, name)
        if result.vt == VT_EMPTY:
            return None
        return result.v.lVal if result.vt == VT_I4 else result

    def error_text(self):
        """The description of the thread's error information (IErrorInfo slot 5)."""
        pointer = ctypes.c_void_p()
        self.test.assertEqual(self.rt.GetErrorInfo(0, ctypes.byref(pointer)), S_OK)
        vtable = ctypes.cast(ctypes.c_void_p.from_address(pointer.value).value,
                             ctypes.POINTER(ctypes.c_void_p))
        text = ctypes.c_void_p()
        self._GET_TEXT(vtable[5])(pointer.value, ctypes.byref(text))
        result = ctypes.string_at(text, 2 * self.rt.SysStringLen(text)).decode("utf-16-le")
        self.rt.SysFreeString(text)
        self._RELEASE(vtable[2])(pointer.value)
        return result

    def keys(self):
        result = self.call("KEYS", DISPATCH_METHOD)
        self.test.assertEqual(result.vt, VT_ARRAY | VT_I4)
        array, upper = ctypes.c_void_p(result.v.pdispVal), ctypes.c_int32()
        self.rt.SafeArrayGetUBound(array, 1, ctypes.byref(upper))
        keys = []
        for i in range(upper.value + 1):  # lower bound 0
            value = ctypes.c_int32()
            self.rt.SafeArrayGetElement(array, ctypes.byref(ctypes.c_int32(i)), ctypes.byref(value))
            keys.append(value.value)
        self.rt.VariantClear(ctypes.byref(result))
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
        t, get, put, method = (self.create("Kelto3D.DragActionTable"), DISPATCH_PROPERTYGET,
                               DISPATCH_PROPERTYPUT, DISPATCH_METHOD)
        self.assertEqual((t.call("Count", get), t.keys()), (0, []))  # made on its own: empty
        for keys, action in [(64, 4), (5, 1), (1, 2), (2, 0)]:  # none binds nothing
            self.assertIsNone(t.call("Add", method, keys, action))
        self.assertEqual((t.call("count", get), t.keys()), (3, [1, 5, 64]))  # ascending
        self.assertEqual([t.call("Item", get, k) for k in (1, 5, 64, 2)], [2, 1, 4, 0])
        for keys, action in [(5, 4), (24, 3), (64, 0)]:  # rebind, bind, none unbinds
            t.call("Item", put, keys, action)
        self.assertEqual([(k, t.call("item", get, k)) for k in t.keys()], [(1, 2), (5, 4), (24, 3)])

        self.assertEqual(t.call("Add", method, 1, 2), "Already exists.")
        self.assertEqual(t.call("Item", put, 1, 7), "Unknown drag action.")
        self.assertEqual(t.call("Item", get, 1), 2)  # left as it was
        t.call("Remove", method, 4)  # unbound: no error
        t.call("Remove", method, 1)
        self.assertEqual(t.keys(), [5, 24])
        t.call("RemoveAll", method)
        self.assertEqual((t.call("Count", get), t.keys()), (0, []))

    def test_pick_and_wheel_tables_name_their_own_actions(self):
        for progid, good, bad, text in [("Kelto3D.PickActionTable", 4, 5, "Unknown pick action."),
                                        ("Kelto3D.WheelActionTable", 1, 2, "Unknown wheel action.")]:
            t = self.create(progid)
            t.call("Add", DISPATCH_METHOD, 0, good)
            self.assertEqual(t.call("Add", DISPATCH_METHOD, 4, bad), text)
            self.assertEqual((t.keys(), t.call("Item", DISPATCH_PROPERTYGET, 0)), ([0], good))


if __name__ == "__main__":
    unittest.main()
