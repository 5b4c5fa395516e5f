"""After `kelto3d register` in a fresh settings store, a ctypes host creates
the component module's classes by ProgID, reads their registration and lists
their members through ITypeInfo, as a generic late-bound client does.

Environment (ctest sets it):
  KELTO_RUNTIME_LIBRARY   path of libkelto3d-runtime.so
  KELTO_CLI               path of the kelto3d program
"""

import ctypes
import os
import subprocess
import tempfile
import unittest

from test_runtime_ctypes import GUID, HRESULT, Dispatch, hresult, load_runtime, olestr

# Set to True once the 3D view control is in the module's class list: its
# test then checks the control's registration instead of its absence.
VIEW_CONTROL_BUILT = True

S_OK = 0
CO_E_CLASSSTRING = hresult(0x800401F3)
CLSCTX_ALL = 0x17
KEY_READ = 0x20019
INVOKE_FUNC, INVOKE_PROPERTYGET = 1, 2
PARAMFLAG_FOPT = 0x10
HKEY_CLASSES_ROOT = ctypes.c_void_p(hresult(0x80000000))
IID_IDISPATCH = GUID.of("00020400-0000-0000-C000-000000000046")
LIBID = GUID.of("FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC")
CLSID_MODEL_NODE = "{53208990-D5BA-46B7-A7E6-3FEE129F3474}"


class TYPEDESC(ctypes.Structure):
    _fields_ = [("lptdesc", ctypes.c_void_p), ("vt", ctypes.c_uint16)]


class ELEMDESC(ctypes.Structure):
    # TYPEDESC, then the PARAMDESC arm of the union.
    _fields_ = [("tdesc", TYPEDESC), ("pparamdescex", ctypes.c_void_p),
                ("wParamFlags", ctypes.c_uint16)]


class FUNCDESC(ctypes.Structure):
    _fields_ = [("memid", ctypes.c_int32), ("lprgscode", ctypes.c_void_p),
                ("lprgelemdescParam", ctypes.POINTER(ELEMDESC)), ("funckind", ctypes.c_int32),
                ("invkind", ctypes.c_int32), ("callconv", ctypes.c_int32),
                ("cParams", ctypes.c_int16), ("cParamsOpt", ctypes.c_int16),
                ("oVft", ctypes.c_int16), ("cScodes", ctypes.c_int16),
                ("elemdescFunc", ELEMDESC), ("wFuncFlags", ctypes.c_uint16)]


class TYPEATTR(ctypes.Structure):
    _fields_ = [("guid", GUID), ("lcid", ctypes.c_uint32), ("dwReserved", ctypes.c_uint32),
                ("memidConstructor", ctypes.c_int32), ("memidDestructor", ctypes.c_int32),
                ("lpstrSchema", ctypes.c_void_p), ("cbSizeInstance", ctypes.c_uint32),
                ("typekind", ctypes.c_int32), ("cFuncs", ctypes.c_uint16),
                ("cVars", ctypes.c_uint16), ("cImplTypes", ctypes.c_uint16),
                ("cbSizeVft", ctypes.c_uint16), ("cbAlignment", ctypes.c_uint16),
                ("wTypeFlags", ctypes.c_uint16), ("wMajorVerNum", ctypes.c_uint16),
                ("wMinorVerNum", ctypes.c_uint16), ("tdescAlias", TYPEDESC),
                ("idldescType", TYPEDESC)]


class Vtable:
    """A COM interface pointer called through its vtable by slot number."""

    def __init__(self, pointer):
        self.ptr = pointer
        self.table = ctypes.cast(ctypes.c_void_p.from_address(pointer).value,
                                 ctypes.POINTER(ctypes.c_void_p))

    def call(self, slot, restype, *args):
        proto = ctypes.CFUNCTYPE(restype, ctypes.c_void_p, *[type(a) for a in args])
        return proto(self.table[slot])(self.ptr, *args)

    def release(self):
        self.call(2, ctypes.c_uint32)


class TypeInfo(Vtable):
    GET_TYPE_ATTR, GET_FUNC_DESC, GET_NAMES, GET_DOCUMENTATION = 3, 5, 7, 12
    RELEASE_TYPE_ATTR, RELEASE_FUNC_DESC = 19, 20

    def __init__(self, rt, pointer):
        super().__init__(pointer)
        self.rt = rt

    def text(self, bstr):
        value = ctypes.string_at(bstr, 2 * self.rt.SysStringLen(bstr)).decode("utf-16-le")
        self.rt.SysFreeString(bstr)
        return value

    def names(self, memid):
        out = (ctypes.c_void_p * 32)()
        count = ctypes.c_uint32()
        assert self.call(self.GET_NAMES, HRESULT, ctypes.c_int32(memid), out,
                         ctypes.c_uint32(32), ctypes.pointer(count)) == S_OK
        return [self.text(out[i]) for i in range(count.value)]

    def name(self):
        bstr = ctypes.c_void_p()
        assert self.call(self.GET_DOCUMENTATION, HRESULT, ctypes.c_int32(-1),
                         ctypes.pointer(bstr), ctypes.c_void_p(), ctypes.c_void_p(),
                         ctypes.c_void_p()) == S_OK
        return self.text(bstr)

    def members(self):
        """{name: (invoke kinds, [(parameter, optional)])} of every function."""
        attr = ctypes.POINTER(TYPEATTR)()
        assert self.call(self.GET_TYPE_ATTR, HRESULT, ctypes.pointer(attr)) == S_OK
        members = {}
        for index in range(attr.contents.cFuncs):
            func = ctypes.POINTER(FUNCDESC)()
            assert self.call(self.GET_FUNC_DESC, HRESULT, ctypes.c_uint32(index),
                             ctypes.pointer(func)) == S_OK
            f = func.contents
            names = self.names(f.memid)
            params = [(names[i + 1] if i + 1 < len(names) else None,
                       bool(f.lprgelemdescParam[i].wParamFlags & PARAMFLAG_FOPT))
                      for i in range(f.cParams)]
            kinds, _ = members.get(names[0], (set(), None))
            members[names[0]] = (kinds | {f.invkind}, params)
            self.call(self.RELEASE_FUNC_DESC, None, func)
        self.call(self.RELEASE_TYPE_ATTR, None, attr)
        return members


class RegistrationCtypesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A fresh store for the user and for the machine.
        cls.home = tempfile.TemporaryDirectory()
        os.environ["XDG_CONFIG_HOME"] = os.path.join(cls.home.name, "user")
        os.environ["XDG_CONFIG_DIRS"] = os.path.join(cls.home.name, "machine")
        cls.cli = os.environ["KELTO_CLI"]
        cls.rt = load_runtime()
        more = {
            "RegOpenKeyExA": (ctypes.c_int32, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint32,
                                               ctypes.c_uint32, ctypes.POINTER(ctypes.c_void_p)]),
            "RegQueryValueExA": (ctypes.c_int32, [ctypes.c_void_p, ctypes.c_char_p,
                                                  ctypes.c_void_p, ctypes.POINTER(ctypes.c_uint32),
                                                  ctypes.c_char_p,
                                                  ctypes.POINTER(ctypes.c_uint32)]),
            "LoadRegTypeLib": (HRESULT, [ctypes.POINTER(GUID), ctypes.c_uint16, ctypes.c_uint16,
                                         ctypes.c_uint32, ctypes.POINTER(ctypes.c_void_p)]),
        }
        for name, (restype, argtypes) in more.items():
            fn = getattr(cls.rt, name)
            fn.restype, fn.argtypes = restype, argtypes

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    def kelto3d(self, *args):
        done = subprocess.run([self.cli, *args], capture_output=True, text=True, check=False)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        return done.stdout

    def setUp(self):
        out = self.kelto3d("register")
        self.assertIn("registered", out)
        self.addCleanup(self.kelto3d, "unregister")

    def read(self, path, value=None):
        key = ctypes.c_void_p()
        if self.rt.RegOpenKeyExA(HKEY_CLASSES_ROOT, path.encode(), 0, KEY_READ,
                                 ctypes.byref(key)) != 0:
            return None
        data = ctypes.create_string_buffer(1024)
        size = ctypes.c_uint32(1024)
        status = self.rt.RegQueryValueExA(key, value.encode() if value else None, None, None,
                                          data, ctypes.byref(size))
        self.rt.RegCloseKey(key)
        return data.value.decode() if status == 0 else None

    def create(self, prog_id):
        clsid = GUID()
        hr = self.rt.CLSIDFromProgID(olestr(prog_id), ctypes.byref(clsid))
        if hr != S_OK:
            return hr, None
        pointer = ctypes.c_void_p()
        hr = self.rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_ALL,
                                      ctypes.byref(IID_IDISPATCH), ctypes.byref(pointer))
        return hr, Dispatch(self.rt, pointer.value) if hr == S_OK else None

    def type_info(self, dispatch):
        pointer = ctypes.c_void_p()
        proto = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_uint32, ctypes.c_uint32,
                                 ctypes.POINTER(ctypes.c_void_p))
        slot = ctypes.cast(ctypes.c_void_p.from_address(dispatch.ptr).value,
                           ctypes.POINTER(ctypes.c_void_p))[4]
        self.assertEqual(proto(slot)(dispatch.ptr, 0, 0x800, ctypes.byref(pointer)), S_OK)
        return TypeInfo(self.rt, pointer.value)

    def test_a_model_node_by_prog_id_lists_its_members(self):
        hr, node = self.create("Oxbay3Support.ModelNode.1")
        self.assertEqual(hr, S_OK)
        key = "CLSID\\" + CLSID_MODEL_NODE
        self.assertEqual(self.read(key), "ModelNode Class")
        self.assertEqual(self.read(key + "\\InprocServer32", "ThreadingModel"), "Apartment")
        self.assertEqual(self.read(key + "\\TypeLib"), "{FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC}")
        self.assertEqual(self.read("Kelto3D.Line\\CurVer"), "Kelto3D.Line.1")

        info = self.type_info(node)
        self.assertEqual(info.name(), "IModelNode")
        members = info.members()
        self.assertEqual(members["AddChild"], ({INVOKE_FUNC}, [("ChildNode", False)]))
        self.assertEqual(members["Dump"], ({INVOKE_FUNC}, []))
        self.assertEqual(members["Children"][0], {INVOKE_PROPERTYGET})
        info.release()

        hr, lines = self.create("Kelto3D.Primitives")
        self.assertEqual(hr, S_OK)
        info = self.type_info(lines)
        kinds, params = info.members()["Add3DLine"]
        self.assertEqual([name for name, _ in params],
                         ["StartX", "StartY", "StartZ", "EndX", "EndY", "EndZ", "Colour"])
        self.assertEqual([optional for _, optional in params], [False] * 6 + [True])
        info.release()
        lines.release()
        node.release()

    def test_the_registered_library_names_the_enumerations(self):
        lib = ctypes.c_void_p()
        self.assertEqual(self.rt.LoadRegTypeLib(ctypes.byref(LIBID), 1, 0, 0, ctypes.byref(lib)),
                         S_OK)
        library = Vtable(lib.value)
        count = library.call(3, ctypes.c_uint32)  # GetTypeInfoCount
        names = set()
        for index in range(count):
            pointer = ctypes.c_void_p()
            self.assertEqual(library.call(4, HRESULT, ctypes.c_uint32(index),
                                          ctypes.pointer(pointer)), S_OK)
            info = TypeInfo(self.rt, pointer.value)
            names.add(info.name())
            info.release()
        library.release()
        self.assertLessEqual({"MouseKeys", "DragAction", "PickAction", "WheelAction",
                              "StandardViewDir", "RepresentationType", "ModelNode",
                              "IModelNode"}, names)

    def test_classes_lists_prog_ids_and_members(self):
        out = self.kelto3d("classes")
        self.assertIn("Oxbay3Support.ModelNode.1, Oxbay3Support.ModelNode", out)
        self.assertIn("AddChild(ChildNode)", out)

    def test_the_view_control_by_prog_id(self):
        hr, control = self.create("Oxbay3Support.Pipeline3DViewCtrl.1")
        if not VIEW_CONTROL_BUILT:
            self.assertEqual(hr, CO_E_CLASSSTRING,
                             "the view control is registered now: set VIEW_CONTROL_BUILT = True")
            return
        self.assertEqual(hr, S_OK)
        key = "CLSID\\{50F41F64-9919-44F3-B147-E9CB24C6EBD6}"
        self.assertEqual(self.read(key + "\\MiscStatus\\1"), "131473")
        self.assertEqual(self.read(key + "\\MiscStatus"), "0")
        self.assertTrue(self.read(key + "\\ToolboxBitmap32").endswith(", 106"))
        members = self.type_info(control).members()
        self.assertIn("SetStandardViewDir", members)
        control.release()

    def test_a_system_registration_serves_every_user(self):
        self.kelto3d("unregister")
        self.kelto3d("register", "--system")
        self.addCleanup(self.kelto3d, "unregister", "--system")
        machine = os.path.join(os.environ["XDG_CONFIG_DIRS"], "kelto3d", "registry.sqlite")
        self.assertTrue(os.path.exists(machine))
        hr, node = self.create("Oxbay3Support.ModelNode")
        self.assertEqual(hr, S_OK)
        node.release()


if __name__ == "__main__":
    unittest.main()
