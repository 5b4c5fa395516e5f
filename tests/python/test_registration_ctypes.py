"""After `kelto3d register` in a fresh settings store, a ctypes host creates
the component module's classes by ProgID, reads their registration and lists
their members through ITypeInfo, as a generic late-bound client does. Only
the runtime's C functions and raw vtables are used.

Environment (ctest sets it):
  KELTO_RUNTIME_LIBRARY   path of libkelto3d-runtime.so
  KELTO_CLI               path of the kelto3d program
"""

import ctypes
import os
import subprocess
import tempfile
import unittest
import uuid

HRESULT = ctypes.c_int32
S_OK = 0
CLSCTX_ALL = 0x17
KEY_READ = 0x20019
HKEY_CLASSES_ROOT = ctypes.c_void_p(0x80000000 - (1 << 32))  # sign-extended, as hosts pass it
INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT = 1, 2, 4
PARAMFLAG_FOPT = 0x10
IMPLTYPEFLAG_FSOURCE = 0x2
P = ctypes.c_void_p


class GUID(ctypes.Structure):
    _fields_ = [("Data1", ctypes.c_uint32), ("Data2", ctypes.c_uint16),
                ("Data3", ctypes.c_uint16), ("Data4", ctypes.c_uint8 * 8)]

    @classmethod
    def of(cls, text):
        return cls.from_buffer_copy(uuid.UUID(text).bytes_le)


class ELEMDESC(ctypes.Structure):
    # TYPEDESC (16 bytes), then the PARAMDESC arm of the union.
    _fields_ = [("lptdesc", P), ("vt", ctypes.c_uint16), ("pparamdescex", P),
                ("wParamFlags", ctypes.c_uint16)]


class FUNCDESC(ctypes.Structure):
    _fields_ = [("memid", ctypes.c_int32), ("lprgscode", P),
                ("lprgelemdescParam", ctypes.POINTER(ELEMDESC)), ("funckind", ctypes.c_int32),
                ("invkind", ctypes.c_int32), ("callconv", ctypes.c_int32),
                ("cParams", ctypes.c_int16), ("cParamsOpt", ctypes.c_int16)]


class TYPEATTR(ctypes.Structure):
    _fields_ = [("guid", GUID), ("lcid", ctypes.c_uint32), ("dwReserved", ctypes.c_uint32),
                ("memidConstructor", ctypes.c_int32), ("memidDestructor", ctypes.c_int32),
                ("lpstrSchema", P), ("cbSizeInstance", ctypes.c_uint32),
                ("typekind", ctypes.c_int32), ("cFuncs", ctypes.c_uint16),
                ("cVars", ctypes.c_uint16), ("cImplTypes", ctypes.c_uint16)]


def olestr(text):
    return ctypes.create_string_buffer(text.encode("utf-16-le") + b"\0\0")


class Vtable:
    """An interface pointer called through its vtable by slot number."""

    def __init__(self, rt, pointer):
        self.rt, self.ptr = rt, pointer
        self.table = ctypes.cast(P.from_address(pointer).value, ctypes.POINTER(P))

    def call(self, slot, restype, *args):
        proto = ctypes.CFUNCTYPE(restype, P, *[type(a) for a in args])
        return proto(self.table[slot])(self.ptr, *args)

    def out(self, slot, *args):
        """Calls a method whose last parameter receives an interface pointer."""
        pointer = P()
        hr = self.call(slot, HRESULT, *args, ctypes.pointer(pointer))
        assert hr == S_OK, hex(hr & 0xFFFFFFFF)
        return pointer.value

    def release(self):
        self.call(2, ctypes.c_uint32)


class TypeInfo(Vtable):
    """ITypeInfo: GetTypeAttr 3, GetFuncDesc 5, GetNames 7, GetRefTypeOfImplType 8,
    GetImplTypeFlags 9, GetDocumentation 12, GetRefTypeInfo 14, Release*Desc 19, 20."""

    def text(self, bstr):
        value = ctypes.string_at(bstr, 2 * self.rt.SysStringLen(bstr)).decode("utf-16-le")
        self.rt.SysFreeString(bstr)
        return value

    def name(self):
        bstr = P()
        assert self.call(12, HRESULT, ctypes.c_int32(-1), ctypes.pointer(bstr), P(), P(),
                         P()) == S_OK
        return self.text(bstr)

    def names(self, memid):
        out = (P * 32)()
        count = ctypes.c_uint32()
        assert self.call(7, HRESULT, ctypes.c_int32(memid), out, ctypes.c_uint32(32),
                         ctypes.pointer(count)) == S_OK
        return [self.text(out[i]) for i in range(count.value)]

    def attr(self):
        attr = ctypes.POINTER(TYPEATTR)()
        assert self.call(3, HRESULT, ctypes.pointer(attr)) == S_OK
        copy = TYPEATTR.from_buffer_copy(attr.contents)
        self.call(19, None, attr)
        return copy

    def members(self):
        """{(name, invoke kind): [parameter, "[optional]" added when optional]}; the
        value of a property put, which has no name, is "(value)"."""
        members = {}
        for index in range(self.attr().cFuncs):
            func = ctypes.POINTER(FUNCDESC)()
            assert self.call(5, HRESULT, ctypes.c_uint32(index), ctypes.pointer(func)) == S_OK
            f = func.contents
            names = self.names(f.memid)
            names += ["(value)"] * (f.cParams + 1 - len(names))
            members[(names[0], f.invkind)] = [
                names[i + 1] + (" [optional]" if f.lprgelemdescParam[i].wParamFlags
                                & PARAMFLAG_FOPT else "") for i in range(f.cParams)]
            self.call(20, None, func)
        return members

    def impl_types(self):
        """[(flags, TypeInfo)] of a class: what it implements and what it calls."""
        out = []
        for index in range(self.attr().cImplTypes):
            flags, ref = ctypes.c_int32(), ctypes.c_uint32()
            assert self.call(9, HRESULT, ctypes.c_uint32(index), ctypes.pointer(flags)) == S_OK
            assert self.call(8, HRESULT, ctypes.c_uint32(index), ctypes.pointer(ref)) == S_OK
            out.append((flags.value, TypeInfo(self.rt, self.out(14, ref))))
        return out


def load_runtime():
    rt = ctypes.CDLL(os.environ["KELTO_RUNTIME_LIBRARY"])
    signatures = {
        "SysStringLen": (ctypes.c_uint32, [P]),
        "SysFreeString": (None, [P]),
        "CLSIDFromProgID": (HRESULT, [P, ctypes.POINTER(GUID)]),
        "CoCreateInstance": (HRESULT, [ctypes.POINTER(GUID), P, ctypes.c_uint32,
                                       ctypes.POINTER(GUID), ctypes.POINTER(P)]),
        "RegOpenKeyExA": (ctypes.c_int32, [P, ctypes.c_char_p, ctypes.c_uint32,
                                           ctypes.c_uint32, ctypes.POINTER(P)]),
        "RegQueryValueExA": (ctypes.c_int32, [P, ctypes.c_char_p, P,
                                              ctypes.POINTER(ctypes.c_uint32), ctypes.c_char_p,
                                              ctypes.POINTER(ctypes.c_uint32)]),
        "RegCloseKey": (ctypes.c_int32, [P]),
    }
    for name, (restype, argtypes) in signatures.items():
        fn = getattr(rt, name)
        fn.restype, fn.argtypes = restype, argtypes
    return rt


class RegistrationCtypesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A fresh store for the user and for the machine.
        cls.home = tempfile.TemporaryDirectory()
        os.environ["XDG_CONFIG_HOME"] = os.path.join(cls.home.name, "user")
        os.environ["XDG_CONFIG_DIRS"] = os.path.join(cls.home.name, "machine")
        cls.rt = load_runtime()

    @classmethod
    def tearDownClass(cls):
        cls.home.cleanup()

    def kelto3d(self, *args):
        done = subprocess.run([os.environ["KELTO_CLI"], *args], capture_output=True, text=True,
                              check=False)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        return done.stdout

    def setUp(self):
        self.assertIn("registered", self.kelto3d("register"))
        self.addCleanup(self.kelto3d, "unregister")

    def read(self, path, value=None):
        key = P()
        if self.rt.RegOpenKeyExA(HKEY_CLASSES_ROOT, path.encode(), 0, KEY_READ,
                                 ctypes.byref(key)) != 0:
            return None
        data, size = ctypes.create_string_buffer(1024), ctypes.c_uint32(1024)
        status = self.rt.RegQueryValueExA(key, value.encode() if value else None, None, None,
                                          data, ctypes.byref(size))
        self.rt.RegCloseKey(key)
        return data.value.decode() if status == 0 else None

    def create(self, prog_id):
        clsid, pointer = GUID(), P()
        self.assertEqual(self.rt.CLSIDFromProgID(olestr(prog_id), ctypes.byref(clsid)), S_OK)
        iid = GUID.of("00020400-0000-0000-C000-000000000046")  # IDispatch
        self.assertEqual(self.rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_ALL,
                                                  ctypes.byref(iid), ctypes.byref(pointer)), S_OK)
        return Vtable(self.rt, pointer.value)

    def type_info(self, dispatch):
        # IDispatch::GetTypeInfo(0, LOCALE_SYSTEM_DEFAULT, &info)
        return TypeInfo(self.rt, dispatch.out(4, ctypes.c_uint32(0), ctypes.c_uint32(0x800)))

    def test_the_view_control_by_prog_id(self):
        control = self.create("Oxbay3Support.Pipeline3DViewCtrl.1")
        key = "CLSID\\{50F41F64-9919-44F3-B147-E9CB24C6EBD6}"
        self.assertEqual(self.read(key + "\\MiscStatus\\1"), "131473")
        self.assertEqual(self.read(key + "\\MiscStatus"), "0")
        self.assertTrue(self.read(key + "\\ToolboxBitmap32").endswith(", 106"))

        info = self.type_info(control)
        self.assertEqual(info.name(), "IPipeline3DViewCtrl")
        members = info.members()
        self.assertEqual(len(members), 37)
        self.assertEqual(members[("AddKeltoFile", INVOKE_FUNC)],
                         ["KeltoFile", "Representation [optional]"])
        self.assertEqual(members[("DrawToDC", INVOKE_FUNC)],
                         ["hDC", "Left", "Top", "Width", "Height", "BGCol", "AxesScale",
                          "BitmapXRes", "BitmapYRes", "Cache"])
        self.assertEqual(members[("AutoFit", INVOKE_PROPERTYPUT)], ["(value)"])

        # The class, from the interface's library: what it implements and the
        # events it sends.
        lib, index = P(), ctypes.c_uint32()
        self.assertEqual(info.call(18, HRESULT, ctypes.pointer(lib), ctypes.pointer(index)), S_OK)
        lib = Vtable(self.rt, lib.value)
        coclass = TypeInfo(self.rt, lib.out(6, ctypes.pointer(
            GUID.of("50F41F64-9919-44F3-B147-E9CB24C6EBD6"))))
        implemented = [(flags & IMPLTYPEFLAG_FSOURCE, t.name()) for flags, t in
                       coclass.impl_types()]
        self.assertEqual(implemented, [(0, "IPipeline3DViewCtrl"),
                                       (IMPLTYPEFLAG_FSOURCE, "_IPipeline3DViewCtrlEvents")])
        events = coclass.impl_types()[1][1].members()
        self.assertEqual(events, {("SelectionChanged", INVOKE_FUNC): ["UnselectedObject",
                                                                      "SelectedObject"],
                                  ("DropFile", INVOKE_FUNC): ["FileName"],
                                  ("PopupMenu", INVOKE_FUNC): ["MouseX", "MouseY", "Items"],
                                  ("ViewChanged", INVOKE_FUNC): []})
        for done in (coclass, lib, info, control):
            done.release()

    def test_members_by_prog_id(self):
        cases = [
            ("Oxbay3Support.ModelNode.1", "IModelNode", ("AddChild", INVOKE_FUNC), ["ChildNode"]),
            ("Kelto3D.Primitives", "IPrimitives", ("Add3DLine", INVOKE_FUNC),
             ["StartX", "StartY", "StartZ", "EndX", "EndY", "EndZ", "Colour [optional]"]),
            ("Kelto3D.DragActionTable", "IDragActionTable", ("Item", INVOKE_PROPERTYPUT),
             ["Keys", "(value)"]),
            ("Oxbay3Support.PipeItems", "IPipeItems", ("Item", INVOKE_PROPERTYGET), ["n"]),
            ("Kelto3D.Snout", "ISnout", ("GetDirection", INVOKE_FUNC), ["X", "Y", "Z"]),
            ("Kelto3D.TagEngine", "ITagEngine", ("SetSpec", INVOKE_FUNC), ["ConfigXML", "Errors"]),
        ]
        for prog_id, interface, member, params in cases:
            with self.subTest(prog_id):
                obj = self.create(prog_id)
                info = self.type_info(obj)
                self.assertEqual(info.name(), interface)
                self.assertEqual(info.members()[member], params)
                info.release()
                obj.release()

    def test_classes_lists_every_class_with_its_members(self):
        out = self.kelto3d("classes")
        for line in ("Oxbay3Support.ModelNode.1, Oxbay3Support.ModelNode",
                     "AddChild(ChildNode)", "Oxbay3Support.Pipeline3DViewCtrl.1",
                     "SetStandardViewDir(Direction)", "RendererPropPg"):
            self.assertIn(line, out)

    def test_a_system_registration_serves_every_user(self):
        self.kelto3d("unregister")
        self.kelto3d("register", "--system")
        self.addCleanup(self.kelto3d, "unregister", "--system")
        machine = os.path.join(os.environ["XDG_CONFIG_DIRS"], "kelto3d", "registry.sqlite")
        self.assertTrue(os.path.exists(machine))
        self.create("Oxbay3Support.ModelNode").release()


if __name__ == "__main__":
    unittest.main()
