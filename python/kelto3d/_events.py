"""Events: a Python object made into an event sink (an IDispatch the
runtime calls) and connected to an object's connection point.

    class Handler:
        def OnSelectionChanged(self, unselected, selected): ...
        def OnViewChanged(self): ...

    view = kelto3d.DispatchWithEvents("Oxbay3Support.Pipeline3DViewCtrl", Handler)
    connection = kelto3d.connect(other_view, Handler())

An event Name calls the handler's method OnName with the event's arguments
(objects wrapped, None for a null object); events without a method are
ignored. Handlers run synchronously, inside the call that caused the event.
"""

import ctypes
import sys
import traceback
import weakref

from . import _dispatch, _library, _typeinfo, _vtable
from ._errors import ComError, check
from ._types import (DISPPARAMS, GUID, HRESULT, IID_IConnectionPointContainer, IID_IDispatch,
                     IID_IUnknown, VARIANT, signed)

_P = ctypes.POINTER
S_OK, E_NOINTERFACE, E_NOTIMPL = 0, signed(0x80004002), signed(0x80004001)
DISP_E_UNKNOWNNAME = signed(0x80020006)
CONNECT_E_NOCONNECTION = signed(0x80040200)

# Event interfaces whose names no type library lists.
KNOWN_EVENTS = {
    GUID.of("0D7EEE91-CDFC-4A8C-812B-1457EF545AED"): {  # _IPipeline3DViewCtrlEvents
        1: "SelectionChanged", 2: "DropFile", 3: "PopupMenu", 4: "ViewChanged"},
}

_QI = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, _P(GUID), _P(ctypes.c_void_p))
_COUNT = ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p)
_TYPE_INFO_COUNT = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, _P(ctypes.c_uint32))
_TYPE_INFO = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_uint32, ctypes.c_uint32,
                              _P(ctypes.c_void_p))
_IDS = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, _P(GUID), ctypes.c_void_p, ctypes.c_uint32,
                        ctypes.c_uint32, _P(ctypes.c_int32))
_INVOKE = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_int32, _P(GUID), ctypes.c_uint32,
                           ctypes.c_uint16, _P(DISPPARAMS), _P(VARIANT), ctypes.c_void_p,
                           _P(ctypes.c_uint32))


class _Vtable(ctypes.Structure):
    # The two words a C++ compiler puts before the functions (offset to the
    # top of the object, its type_info): code in the modules that looks at an
    # object's dynamic type (a sanitizer's vptr check, dynamic_cast) then sees
    # an IDispatch, which is what the sink is.
    _fields_ = [("OffsetToTop", ctypes.c_ssize_t), ("TypeInfo", ctypes.c_void_p),
                ("QueryInterface", _QI), ("AddRef", _COUNT), ("Release", _COUNT),
                ("GetTypeInfoCount", _TYPE_INFO_COUNT), ("GetTypeInfo", _TYPE_INFO),
                ("GetIDsOfNames", _IDS), ("Invoke", _INVOKE)]


class _Object(ctypes.Structure):
    _fields_ = [("vtable", ctypes.c_void_p)]


_live = {}  # address of a sink's C object -> Sink, while the runtime holds it


def _sink(this):
    return _live.get(this)


def _query_interface(this, riid, ppv):
    sink = _sink(this)
    iid = GUID.from_buffer_copy(riid.contents)
    if sink is None or iid not in (IID_IUnknown, IID_IDispatch, sink.iid):
        ppv[0] = None
        return E_NOINTERFACE
    sink.count += 1
    ppv[0] = this
    return S_OK


def _add_ref(this):
    sink = _sink(this)
    sink.count += 1
    return sink.count


def _release(this):
    sink = _sink(this)
    sink.count -= 1
    if sink.count == 0:
        del _live[this]
    return sink.count


def _type_info_count(this, count):
    count[0] = 0
    return S_OK


def _type_info(this, index, lcid, out):
    out[0] = None
    return E_NOTIMPL


def _ids_of_names(this, riid, names, count, lcid, ids):
    return DISP_E_UNKNOWNNAME


def _invoke(this, dispid, riid, lcid, flags, params, result, excepinfo, arg_error):
    sink = _sink(this)
    try:
        if sink is not None:
            sink.deliver(dispid, params.contents if params else None)
    except Exception:  # nothing may cross back into the runtime
        traceback.print_exc(file=sys.stderr)
    return S_OK


_VTABLE = _Vtable(0, None, _QI(_query_interface), _COUNT(_add_ref), _COUNT(_release),
                  _TYPE_INFO_COUNT(_type_info_count), _TYPE_INFO(_type_info),
                  _IDS(_ids_of_names), _INVOKE(_invoke))


def _vtable_address():
    """Where a sink's vtable pointer points: the first function, after the
    prefix, whose type_info is the runtime's IDispatch (when it exports it)."""
    if _VTABLE.TypeInfo is None:
        try:
            runtime = _library.load().runtime
            _VTABLE.TypeInfo = ctypes.addressof(ctypes.c_char.in_dll(runtime, "_ZTI9IDispatch"))
        except ValueError:
            _VTABLE.TypeInfo = None
    return ctypes.addressof(_VTABLE) + _Vtable.QueryInterface.offset


class Sink:
    """The C object the connection point calls, and the handler it calls."""

    def __init__(self, iid, names, handler, weak=False):
        self.iid, self.names = iid, names
        self._handler = weakref.ref(handler) if weak else (lambda h=handler: h)
        self.count = 0
        self.object = _Object(_vtable_address())
        self.address = ctypes.addressof(self.object)
        _live[self.address] = self
        self.count = 1  # ours, given up in close()

    def close(self):
        _release(self.address)

    def deliver(self, dispid, params):
        handler = self._handler()
        name = self.names.get(dispid)
        method = getattr(handler, "On" + name, None) if handler is not None and name else None
        if method is None:
            return
        conv = _dispatch.converter()
        args = []
        if params is not None:
            for i in reversed(range(params.cArgs)):  # rgvarg holds them last first
                args.append(conv.value(params.rgvarg[i]))
        method(*args)


def _event_names(lib, iid):
    """{dispid: name} of an event interface: from a module's type library
    when it lists the interface, else from the table above."""
    for handle in lib.modules.values():
        export = getattr(handle, "KeltoModuleTypeLib", None)
        if export is None:
            continue
        export.restype, export.argtypes = HRESULT, [_P(ctypes.c_void_p)]
        library = ctypes.c_void_p()
        if export(ctypes.byref(library)) < 0 or not library.value:
            continue
        info = ctypes.c_void_p()
        hr = _vtable.slot(library.value, 6, HRESULT, _P(GUID), _P(ctypes.c_void_p))(
            ctypes.byref(iid), ctypes.byref(info))
        _vtable.release(library.value)
        if hr >= 0 and info.value:
            description = _typeinfo.describe(lib, info.value)
            _vtable.release(info.value)
            if description and description.members:
                return {m.dispid: m.name for m in description.members.values()}
    return dict(KNOWN_EVENTS.get(iid, {}))


def _connection_point(obj, iid):
    """(IConnectionPoint pointer, its interface id) of obj: the point of iid,
    or the object's first."""
    lib = _library.load()
    container = _vtable.query_interface(obj._pointer(), IID_IConnectionPointContainer)
    if container is None:
        raise ComError(CONNECT_E_NOCONNECTION, "%r has no events" % obj)
    try:
        point = ctypes.c_void_p()
        if iid is not None:
            check(lib, _vtable.slot(container, 4, HRESULT, _P(GUID), _P(ctypes.c_void_p))(
                ctypes.byref(iid), ctypes.byref(point)), "FindConnectionPoint")
        else:
            enum = ctypes.c_void_p()
            check(lib, _vtable.slot(container, 3, HRESULT, _P(ctypes.c_void_p))(
                ctypes.byref(enum)), "EnumConnectionPoints")
            fetched = ctypes.c_uint32()
            _vtable.slot(enum.value, 3, HRESULT, ctypes.c_uint32, _P(ctypes.c_void_p),
                         _P(ctypes.c_uint32))(1, ctypes.byref(point), ctypes.byref(fetched))
            _vtable.release(enum.value)
            if not fetched.value:
                raise ComError(CONNECT_E_NOCONNECTION, "%r has no events" % obj)
        found = GUID()
        _vtable.slot(point.value, 3, HRESULT, _P(GUID))(ctypes.byref(found))
        return point.value, found
    finally:
        _vtable.release(container)


class Connection:
    """A handler connected to an object's events; disconnect() (or the end
    of a with block, or losing the last reference) ends it."""

    def __init__(self, obj, handler, iid=None, weak=False):
        lib = _library.load()
        if isinstance(iid, str):
            iid = GUID.of(iid)
        self._point, self.iid = _connection_point(obj, iid)
        self._sink = Sink(self.iid, _event_names(lib, self.iid), handler, weak)
        cookie = ctypes.c_uint32()
        try:
            check(lib, _vtable.slot(self._point, 5, HRESULT, ctypes.c_void_p,
                                    _P(ctypes.c_uint32))(self._sink.address,
                                                         ctypes.byref(cookie)), "Advise")
        except BaseException:
            self._sink.close()
            _vtable.release(self._point)
            raise
        self.cookie = cookie.value

    @property
    def events(self):
        """The event names, by dispid."""
        return dict(self._sink.names)

    def disconnect(self):
        point = self.__dict__.pop("_point", None)
        if point:
            try:
                _vtable.slot(point, 6, HRESULT, ctypes.c_uint32)(self.cookie)
            finally:
                self._sink.close()
                _vtable.release(point)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.disconnect()

    def __del__(self):
        try:
            self.disconnect()
        except Exception:
            pass


def connect(obj, handler, interface=None):
    """Connects handler (any object with OnEvent methods) to the events of
    obj; returns the Connection. interface: the event interface's id, when
    the object has more than one."""
    return Connection(obj, handler, interface)


class _WithEvents:
    _python_attributes = True

    def _disconnect(self):
        connection = self.__dict__.pop("_connection", None)
        if connection is not None:
            connection.disconnect()

    def _release(self):
        self._disconnect()
        _dispatch.Dispatch._release(self)


def DispatchWithEvents(source, handler_class, interface=None):
    """The object (a ProgID, class id or wrapped object) as an instance of a
    class made from handler_class and the object's own wrapper class: its
    OnEvent methods receive the events, and its members are the object's.
    handler_class.__init__ is called without arguments after connecting."""
    base = _dispatch.Dispatch(source)
    cls = type(handler_class.__name__, (_WithEvents, handler_class, type(base)), {})
    obj = object.__new__(cls)
    obj.__dict__["_ptr"] = base._pointer()
    _vtable.add_ref(obj._ptr)
    base._release()
    obj.__dict__["_connection"] = Connection(obj, obj, interface, weak=True)
    init = getattr(handler_class, "__init__", None)
    if init is not None and init is not object.__init__:
        init(obj)
    return obj
