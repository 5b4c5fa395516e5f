"""Drives the 3D view control from Python's ctypes, as a late-binding host
would: the control made by ProgID, a piping file shown in it, a component
selected by a script call, the selection read back through SelectedItems.

The libraries come from the environment (ctest sets it):
  KELTO_RUNTIME_LIBRARY    path of libkelto3d-runtime.so
  KELTO_COMPONENT_MODULE   path of libkelto3d.so
  KELTO_PIPING_MODULE      path of libkelto.so
  KELTO_EXAMPLES           the folder of the bundled piping files
"""

import ctypes
import os
import tempfile
import unittest
import uuid

HRESULT = ctypes.c_int32
VT_I4, VT_BSTR, VT_DISPATCH = 3, 8, 9
DISPATCH_METHOD, DISPATCH_PROPERTYGET = 1, 2
CLSCTX_INPROC_SERVER = 1


class GUID(ctypes.Structure):
    _fields_ = [("Data1", ctypes.c_uint32), ("Data2", ctypes.c_uint16),
                ("Data3", ctypes.c_uint16), ("Data4", ctypes.c_uint8 * 8)]

    @classmethod
    def of(cls, text):
        return cls.from_buffer_copy(uuid.UUID(text).bytes_le)


class VARIANT(ctypes.Structure):
    class _Value(ctypes.Union):
        _fields_ = [("lVal", ctypes.c_int32), ("ptr", ctypes.c_void_p),
                    ("raw", ctypes.c_uint8 * 16)]
    _fields_ = [("vt", ctypes.c_uint16), ("reserved", ctypes.c_uint16 * 3), ("v", _Value)]


IID_IUNKNOWN = GUID.of("00000000-0000-0000-C000-000000000046")
PROGID = "Oxbay3Support.Pipeline3DViewCtrl"


def required(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(name + " is not set: run this test through ctest")
    return value


class ViewCtrlCtypesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory()
        os.environ["XDG_CONFIG_HOME"] = cls.home.name
        rt = cls.rt = ctypes.CDLL(required("KELTO_RUNTIME_LIBRARY"))
        # Mapping a module is enough for the runtime to serve its classes.
        cls.modules = [ctypes.CDLL(required(n))
                       for n in ("KELTO_COMPONENT_MODULE", "KELTO_PIPING_MODULE")]
        rt.CLSIDFromProgID.argtypes = [ctypes.c_char_p, ctypes.POINTER(GUID)]
        rt.CoCreateInstance.argtypes = [ctypes.POINTER(GUID), ctypes.c_void_p, ctypes.c_uint32,
                                        ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)]
        rt.KeltoAxCreateObject.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
        rt.KeltoAxInvoke.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint16,
                                     ctypes.c_uint32, ctypes.POINTER(VARIANT),
                                     ctypes.POINTER(VARIANT)]
        rt.KeltoAxSetText.argtypes = [ctypes.POINTER(VARIANT), ctypes.c_char_p]
        rt.KeltoAxGetText.argtypes = [ctypes.POINTER(VARIANT), ctypes.c_char_p, ctypes.c_uint32]
        rt.KeltoAxClear.argtypes = [ctypes.POINTER(VARIANT)]
        rt.KeltoAxRelease.argtypes = [ctypes.c_void_p]
        for fn in (rt.CLSIDFromProgID, rt.CoCreateInstance, rt.KeltoAxCreateObject,
                   rt.KeltoAxInvoke, rt.KeltoAxSetText, rt.KeltoAxGetText):
            fn.restype = HRESULT

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    def setUp(self):
        self.owned = []

    def tearDown(self):
        for pointer in reversed(self.owned):
            self.rt.KeltoAxRelease(pointer)

    # --- late-bound calls --------------------------------------------------------

    def keep(self, pointer):
        self.assertTrue(pointer)
        self.owned.append(pointer)
        return pointer

    def call(self, obj, name, *args, flags=DISPATCH_METHOD):
        """Calls a member by name; returns the result VARIANT."""
        array = (VARIANT * max(len(args), 1))(*args)
        result = VARIANT()
        hr = self.rt.KeltoAxInvoke(obj, name.encode(), flags, len(args), array,
                                   ctypes.byref(result))
        self.assertEqual(hr, 0, "%s failed with 0x%08X" % (name, hr & 0xFFFFFFFF))
        return result

    def get(self, obj, name, *args):
        return self.call(obj, name, *args, flags=DISPATCH_PROPERTYGET)

    def obj(self, variant):
        self.assertEqual(variant.vt, VT_DISPATCH)
        return self.keep(variant.v.ptr)

    def text(self, variant):
        buffer = ctypes.create_string_buffer(256)
        self.assertEqual(self.rt.KeltoAxGetText(ctypes.byref(variant), buffer, 256), 0)
        return buffer.value.decode()

    @staticmethod
    def dispatch(pointer):
        v = VARIANT()
        v.vt, v.v.ptr = VT_DISPATCH, pointer
        return v

    @staticmethod
    def long(n):
        v = VARIANT()
        v.vt, v.v.lVal = VT_I4, n
        return v

    # --- the test ------------------------------------------------------------------

    def test_a_script_selects_a_component_and_reads_it_back(self):
        clsid = GUID()
        self.assertEqual(self.rt.CLSIDFromProgID(PROGID.encode("utf-16-le") + b"\0\0",
                                                 ctypes.byref(clsid)), 0)
        control = ctypes.c_void_p()
        self.assertEqual(self.rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_INPROC_SERVER,
                                                  ctypes.byref(IID_IUNKNOWN),
                                                  ctypes.byref(control)), 0)
        view = self.keep(control.value)

        file = ctypes.c_void_p()
        self.assertEqual(self.rt.KeltoAxCreateObject(b"Kelto.File", ctypes.byref(file)), 0)
        self.keep(file.value)
        path = VARIANT()
        self.rt.KeltoAxSetText(ctypes.byref(path),
                               os.path.join(required("KELTO_EXAMPLES"), "drain-spool.json").encode())
        self.call(file.value, "Load", path)
        self.rt.KeltoAxClear(ctypes.byref(path))
        self.call(view, "AddKeltoFile", self.dispatch(file.value))

        # Model → file → first pipeline → its second component.
        node = self.obj(self.get(view, "Model"))
        for position in (1, 1, 2):
            node = self.obj(self.get(self.obj(self.get(node, "Children")), "Item",
                                     self.long(position)))
        component = self.obj(self.get(node, "Object"))
        component_id = self.text(self.get(component, "Id"))

        self.call(view, "Select", self.dispatch(component))
        self.call(view, "Select", self.dispatch(component))  # once is enough
        items = self.obj(self.get(view, "SelectedItems"))
        self.assertEqual(self.get(items, "Count").v.lVal, 1)
        selected = self.obj(self.get(items, "Item", self.long(1)))
        self.assertEqual(self.text(self.get(selected, "Id")), component_id)

        # Positions outside 1..Count fail.
        for position in (0, 2):
            result = VARIANT()
            args = (VARIANT * 1)(self.long(position))
            hr = self.rt.KeltoAxInvoke(items, b"Item", DISPATCH_PROPERTYGET, 1, args,
                                       ctypes.byref(result))
            self.assertNotEqual(hr, 0, position)

        self.call(view, "UnselectAll")
        self.assertEqual(self.get(items, "Count").v.lVal, 0)


if __name__ == "__main__":
    unittest.main()
