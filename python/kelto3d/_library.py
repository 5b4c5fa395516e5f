"""Finding and loading the libraries: the runtime, whose C functions the
package calls, and the two modules whose classes it creates.

Where they are looked for, first found wins:
1. the folder named by the environment variable KELTO3D_LIBRARY_DIR;
2. the folder recorded when the package was installed (_installed.py, written
   by cmake --install);
3. in a source checkout, build/dev/lib and build/asan/lib beside python/;
4. the dynamic loader's own search path (ld.so.conf, LD_LIBRARY_PATH).

Mapping a module is enough for the runtime to serve its classes by ProgID,
so nothing needs to be registered in the settings store first.
"""

import ctypes
import os
import threading

from ._types import GUID, HRESULT, SAFEARRAYBOUND, VARIANT

RUNTIME = "libkelto3d-runtime.so.0"
MODULES = ("libkelto3d.so.0", "libkelto.so.0")

_lock = threading.Lock()
_loaded = None

_POINTER = ctypes.c_void_p
_PVARIANT = ctypes.POINTER(VARIANT)
_SIGNATURES = {
    "CoInitialize": (HRESULT, [_POINTER]),
    "SysAllocStringLen": (_POINTER, [_POINTER, ctypes.c_uint32]),
    "SysStringLen": (ctypes.c_uint32, [_POINTER]),
    "SysFreeString": (None, [_POINTER]),
    "VariantInit": (None, [_PVARIANT]),
    "VariantClear": (HRESULT, [_PVARIANT]),
    "VariantCopy": (HRESULT, [_PVARIANT, _PVARIANT]),
    "CLSIDFromProgID": (HRESULT, [ctypes.c_char_p, ctypes.POINTER(GUID)]),
    "CLSIDFromString": (HRESULT, [ctypes.c_char_p, ctypes.POINTER(GUID)]),
    "ProgIDFromCLSID": (HRESULT, [ctypes.POINTER(GUID), ctypes.POINTER(_POINTER)]),
    "CoTaskMemFree": (None, [_POINTER]),
    "CoCreateInstance": (HRESULT, [ctypes.POINTER(GUID), _POINTER, ctypes.c_uint32,
                                   ctypes.POINTER(GUID), ctypes.POINTER(_POINTER)]),
    "GetErrorInfo": (HRESULT, [ctypes.c_uint32, ctypes.POINTER(_POINTER)]),
    "SafeArrayCreate": (_POINTER, [ctypes.c_uint16, ctypes.c_uint32,
                                   ctypes.POINTER(SAFEARRAYBOUND)]),
    "SafeArrayDestroy": (HRESULT, [_POINTER]),
    "SafeArrayGetDim": (ctypes.c_uint32, [_POINTER]),
    "SafeArrayGetVartype": (HRESULT, [_POINTER, ctypes.POINTER(ctypes.c_uint16)]),
    "SafeArrayGetLBound": (HRESULT, [_POINTER, ctypes.c_uint32, ctypes.POINTER(ctypes.c_int32)]),
    "SafeArrayGetUBound": (HRESULT, [_POINTER, ctypes.c_uint32, ctypes.POINTER(ctypes.c_int32)]),
    "SafeArrayGetElement": (HRESULT, [_POINTER, ctypes.POINTER(ctypes.c_int32), _POINTER]),
    "SafeArrayPutElement": (HRESULT, [_POINTER, ctypes.POINTER(ctypes.c_int32), _POINTER]),
    "KeltoCreateImageDC": (ctypes.c_uint32, [ctypes.c_int, ctypes.c_int]),
    "KeltoCreateFileDC": (ctypes.c_uint32, [ctypes.c_char_p, ctypes.c_int, ctypes.c_double,
                                            ctypes.c_double]),
    "KeltoGetDCSize": (HRESULT, [ctypes.c_uint32, ctypes.POINTER(ctypes.c_double),
                                 ctypes.POINTER(ctypes.c_double)]),
    "KeltoGetDCPixels": (HRESULT, [ctypes.c_uint32, _POINTER, ctypes.c_uint32]),
    "KeltoFinishDC": (HRESULT, [ctypes.c_uint32]),
    "KeltoDeleteDC": (HRESULT, [ctypes.c_uint32]),
    "KeltoAxCreateControl": (HRESULT, [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_ulong,
                                       ctypes.POINTER(_POINTER)]),
    "KeltoAxGetConnectionNumber": (HRESULT, [_POINTER, ctypes.POINTER(ctypes.c_int)]),
    "KeltoAxDispatchPending": (HRESULT, [_POINTER]),
    "KeltoAxDestroyControl": (HRESULT, [_POINTER]),
}


class Libraries:
    """The loaded runtime (with its functions typed) and modules."""

    def __init__(self, folder, runtime, modules):
        self.folder = folder
        self.runtime = runtime
        self.modules = modules  # file name -> CDLL
        for name, (restype, argtypes) in _SIGNATURES.items():
            function = getattr(runtime, name)
            function.restype, function.argtypes = restype, argtypes
        runtime.CoInitialize(None)

    def module(self, name):
        """A loaded module by file name stem ("libkelto3d"), for its exports."""
        for file, handle in self.modules.items():
            if file.split(".so")[0] == name:
                return handle
        raise KeyError(name)


def candidate_folders():
    """Folders to try, in order (None: the loader's search path)."""
    folders = []
    explicit = os.environ.get("KELTO3D_LIBRARY_DIR")
    if explicit:
        folders.append(explicit)
    try:
        from . import _installed  # written by cmake --install
        here = os.path.dirname(os.path.abspath(__file__))
        folders.append(os.path.normpath(os.path.join(here, _installed.LIBRARY_DIR)))
    except ImportError:
        pass
    checkout = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    if os.path.exists(os.path.join(checkout, "CMakePresets.json")):
        folders += [os.path.join(checkout, "build", p, "lib") for p in ("dev", "asan")]
    folders.append(None)
    return folders


def _open(folder, name):
    path = os.path.join(folder, name) if folder else name
    return ctypes.CDLL(path, mode=ctypes.RTLD_GLOBAL)


def load():
    """The libraries, loaded on first use. Raises OSError naming every place
    looked at when the runtime is nowhere."""
    global _loaded
    with _lock:
        if _loaded is None:
            _loaded = _load()
        return _loaded


def _load():
    tried = []
    for folder in candidate_folders():
        if folder and not os.path.exists(os.path.join(folder, RUNTIME)):
            tried.append(folder)
            continue
        try:
            runtime = _open(folder, RUNTIME)
        except OSError as error:
            tried.append("%s (%s)" % (folder or "loader search path", error))
            continue
        # The modules must come from the same place as the runtime: one
        # runtime per process serves every module's classes.
        modules = {name: _open(folder, name) for name in MODULES}
        return Libraries(folder, runtime, modules)
    raise OSError("kelto3d: cannot find %s; looked in: %s. Set KELTO3D_LIBRARY_DIR to the "
                  "folder that holds it." % (RUNTIME, "; ".join(tried)))
