"""Dispatch: a late-bound object whose members are reached by name through
GetIDsOfNames and Invoke."""

import ctypes
import inspect

from . import _errors, _library, _typeinfo, _vtable
from ._errors import ComError
from ._types import (CLSCTX_INPROC_SERVER, DISPATCH_METHOD, DISPATCH_PROPERTYGET,
                     DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, DISPID, DISPID_NEWENUM,
                     DISPID_PROPERTYPUT, DISPID_VALUE, DISPPARAMS, EXCEPINFO, GUID, HRESULT,
                     IID_IDispatch, IID_IEnumVARIANT, IID_NULL, LOCALE_SYSTEM_DEFAULT, VARIANT,
                     VT_BYREF, VT_ERROR, VT_VARIANT, signed)
from ._variant import Converter

_P = ctypes.POINTER
DISP_E_EXCEPTION = signed(0x80020009)
E_NOINTERFACE = signed(0x80004002)
DISP_E_MEMBERNOTFOUND = signed(0x80020003)
DISP_E_UNKNOWNNAME = signed(0x80020006)
DISP_E_PARAMNOTFOUND = signed(0x80020004)
_NOT_A_PROPERTY = {DISP_E_MEMBERNOTFOUND, signed(0x8002000E), signed(0x8002000F)}
_GET = DISPATCH_METHOD | DISPATCH_PROPERTYGET

_converter = None


def converter():
    global _converter
    if _converter is None:
        _converter = Converter(_library.load(), wrap, Dispatch)
    return _converter


class _Missing:
    """An optional argument left out in the middle of a call."""

    def __repr__(self):
        return "kelto3d.Missing"


Missing = _Missing()


def _missing_variant():
    v = VARIANT()
    v.vt, v.v.lVal = VT_ERROR, DISP_E_PARAMNOTFOUND
    return v


class Method:
    """A member bound to its object, called with positional and named
    arguments."""

    def __init__(self, target, name, member):
        self._target, self._name, self._member = target, name, member
        if member is not None:
            self.__doc__ = member.signature()

    def __call__(self, *args, **named):
        dispid = self._member.dispid if self._member else self._target._dispid(self._name)
        return self._target._call(dispid, _GET, args, named, self._member, self._name)

    def __repr__(self):
        return "<method %s of %r>" % (self._name, self._target)


class Dispatch:
    """A scripting object, made by ProgID ("Oxbay3Support.ModelNode"), class id
    ("{53208990-...}") or from another wrapped object; every object a call
    returns is one too. Members are found by name, case-insensitively:

        node = kelto3d.Dispatch("Oxbay3Support.ModelNode")
        node.Geometry.Add3DLine(0, 0, 0, 1, 2, 3, Colour=0xFF)
        print(node.Dump())

    obj(...) and obj[...] call the default member (Item), len() reads Count,
    iteration walks _NewEnum. Two wrappers are equal when they wrap the same
    object. The reference is released when the wrapper goes (del, or the end
    of a with block)."""

    _description = None  # TypeDescription of the class's interface, when known
    _python_attributes = False  # event handlers may keep their own state

    def __new__(cls, source=None, *args, **kwargs):
        if source is None:
            raise TypeError("Dispatch takes a ProgID, a class id or a wrapped object")
        if isinstance(source, Dispatch):
            pointer = source._pointer()
            _vtable.add_ref(pointer)
        else:
            pointer = create(source)
        return wrap(pointer, cls if cls is not Dispatch else None)

    def __init__(self, *args, **kwargs):
        pass

    # --- reference -------------------------------------------------------------------------

    def _pointer(self):
        pointer = self.__dict__.get("_ptr")
        if not pointer:
            raise ValueError("the object was released")
        return pointer

    def _dispatch_pointer(self):
        """The pointer, which must be an IDispatch to be called by name."""
        pointer = self._pointer()
        if self.__dict__.get("_unknown_only"):
            raise ComError(E_NOINTERFACE, "the object cannot be called by name "
                           "(it has no IDispatch)")
        return pointer

    def _release(self):
        """Releases the reference now (also done by del and with)."""
        pointer = self.__dict__.pop("_ptr", None)
        if pointer:
            _vtable.release(pointer)

    def __del__(self):
        try:
            self._release()
        except Exception:  # interpreter shutdown: the runtime may be gone
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self._release()

    def __eq__(self, other):
        if not isinstance(other, Dispatch):
            return NotImplemented
        return _vtable.identity(self._pointer()) == _vtable.identity(other._pointer())

    def __hash__(self):
        return hash(_vtable.identity(self._pointer()))

    def __repr__(self):
        kind = self._description.name if self._description else "object"
        state = "0x%x" % self._ptr if self.__dict__.get("_ptr") else "released"
        return "<kelto3d.Dispatch %s at %s>" % (kind, state)

    def __bool__(self):
        return True  # never through __len__: an empty collection is still an object

    # --- members by name -------------------------------------------------------------------

    def _dispid(self, name):
        ids = self.__dict__.setdefault("_ids", {})
        key = name.lower()
        if key not in ids:
            text = ctypes.create_string_buffer(name.encode("utf-16-le") + b"\0\0")
            names = (ctypes.c_void_p * 1)(ctypes.cast(text, ctypes.c_void_p))
            dispid = DISPID(-1)
            hr = _vtable.slot(self._dispatch_pointer(), 5, HRESULT, _P(GUID), _P(ctypes.c_void_p),
                              ctypes.c_uint32, ctypes.c_uint32, _P(DISPID))(
                ctypes.byref(IID_NULL), names, 1, LOCALE_SYSTEM_DEFAULT, ctypes.byref(dispid))
            if hr == DISP_E_UNKNOWNNAME:
                raise AttributeError("%r has no member %r" % (self, name))
            _errors.check(_library.load(), hr, name)
            ids[key] = dispid.value
        return ids[key]

    def _member(self, name):
        return self._description.find(name) if self._description else None

    def __getattr__(self, name):
        if name.startswith("__") or name in ("_ptr", "_ids"):
            raise AttributeError(name)
        member = self._member(name)
        if member is not None:
            if member.is_property:
                return self._call(member.dispid, DISPATCH_PROPERTYGET, (), {}, member, name)
            return Method(self, member.name, member)
        dispid = self._dispid(name)
        try:
            return self._call(dispid, DISPATCH_PROPERTYGET, (), {}, None, name)
        except ComError as error:
            if error.hresult in _NOT_A_PROPERTY:
                return Method(self, name, None)
            raise

    def __setattr__(self, name, value):
        if name.startswith("_") or isinstance(getattr(type(self), name, None), property):
            object.__setattr__(self, name, value)
            return
        member = self._member(name)
        if member is None:
            try:
                dispid = self._dispid(name)
            except AttributeError:
                if self._python_attributes:
                    object.__setattr__(self, name, value)
                    return
                raise
        else:
            dispid = member.dispid
        flags = DISPATCH_PROPERTYPUT
        if isinstance(value, Dispatch) and member is not None and \
                _typeinfo.INVOKE_PROPERTYPUTREF in member.kinds:
            flags = DISPATCH_PROPERTYPUTREF
        self._call(dispid, flags, (value,), {}, member, name)

    def __dir__(self):
        names = set(object.__dir__(self))
        if self._description:
            names.update(m.name for m in self._description.members.values())
        return sorted(names)

    # --- default member, collections ---------------------------------------------------------

    def __call__(self, *args, **named):
        return self._call(DISPID_VALUE, _GET, args, named, self._member_by_id(DISPID_VALUE),
                          "default member")

    def __getitem__(self, key):
        args = key if isinstance(key, tuple) else (key,)
        return self._call(DISPID_VALUE, _GET, args, {}, None, "Item")

    def __setitem__(self, key, value):
        args = (key if isinstance(key, tuple) else (key,)) + (value,)
        self._call(DISPID_VALUE, DISPATCH_PROPERTYPUT, args, {}, None, "Item")

    def __len__(self):
        return int(self.Count)

    def __iter__(self):
        result = self._invoke(DISPID_NEWENUM, _GET, [], "_NewEnum")
        conv = converter()
        if result.vt not in (9, 13) or not result.v.ptr:
            conv.rt.VariantClear(ctypes.byref(result))
            raise TypeError("%r is not a collection" % self)
        enum = _vtable.query_interface(result.v.ptr, IID_IEnumVARIANT)
        conv.rt.VariantClear(ctypes.byref(result))
        if enum is None:
            raise TypeError("_NewEnum of %r gave no enumerator" % self)
        try:
            nxt = _vtable.slot(enum, 3, HRESULT, ctypes.c_uint32, _P(VARIANT), _P(ctypes.c_uint32))
            while True:
                item, fetched = VARIANT(), ctypes.c_uint32()
                hr = nxt(1, ctypes.byref(item), ctypes.byref(fetched))
                _errors.check(conv.lib, hr, "_NewEnum")
                if fetched.value == 0:
                    return
                yield conv.take(item)
        finally:
            _vtable.release(enum)

    def _member_by_id(self, dispid):
        if self._description:
            for member in self._description.members.values():
                if member.dispid == dispid:
                    return member
        return None

    # --- Invoke -------------------------------------------------------------------------------

    def _call(self, dispid, flags, args, named, member, name):
        params = member.parameters(flags) if member is not None else None
        args = list(args)
        if named:
            args = _place_named(args, named, params, name)
        outs = []
        if params and flags & _GET:
            for i, p in enumerate(params):
                if p.out and (i >= len(args) or args[i] is Missing):
                    args += [Missing] * (i + 1 - len(args))
                    outs.append(i)
        conv = converter()
        holders = {i: VARIANT() for i in outs}
        variants = []
        try:
            for i, value in enumerate(args):
                if i in holders:
                    v = VARIANT()
                    v.vt, v.v.ptr = VT_BYREF | VT_VARIANT, ctypes.addressof(holders[i])
                elif value is Missing:
                    v = _missing_variant()
                else:
                    v = conv.variant(value)
                variants.append(v)
            result = self._invoke(dispid, flags, variants, name)
        finally:
            for i, v in enumerate(variants):
                if i not in holders:
                    conv.rt.VariantClear(ctypes.byref(v))
        value = conv.take(result)
        if not outs:
            return value
        out_values = [conv.take(holders[i]) for i in outs]
        if value is None:
            return out_values[0] if len(out_values) == 1 else tuple(out_values)
        return (value, *out_values)

    def _invoke(self, dispid, flags, variants, name):
        """Invoke with the arguments in call order; the caller clears them.
        Returns the result VARIANT (the caller's to clear)."""
        count = len(variants)
        array = (VARIANT * max(count, 1))()
        for i, v in enumerate(reversed(variants)):
            ctypes.memmove(ctypes.byref(array[i]), ctypes.byref(v), ctypes.sizeof(VARIANT))
        put = DISPID(DISPID_PROPERTYPUT)
        is_put = bool(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        params = DISPPARAMS(array, ctypes.pointer(put) if is_put else None, count, int(is_put))
        result, info, arg_error = VARIANT(), EXCEPINFO(), ctypes.c_uint32(0xFFFFFFFF)
        hr = _vtable.slot(self._dispatch_pointer(), 6, HRESULT, DISPID, _P(GUID), ctypes.c_uint32,
                          ctypes.c_uint16, _P(DISPPARAMS), _P(VARIANT), _P(EXCEPINFO),
                          _P(ctypes.c_uint32))(
            dispid, ctypes.byref(IID_NULL), LOCALE_SYSTEM_DEFAULT, flags, ctypes.byref(params),
            ctypes.byref(result), ctypes.byref(info), ctypes.byref(arg_error))
        if hr >= 0:
            return result
        lib = _library.load()
        if hr == DISP_E_EXCEPTION:
            source = _errors.bstr_text(lib, info.bstrSource)
            description = _errors.bstr_text(lib, info.bstrDescription)
            _errors.bstr_text(lib, info.bstrHelpFile)
            raise ComError(info.scode or hr, description, source, name)
        argument = None
        if arg_error.value < count:
            argument = count - 1 - arg_error.value
        raise ComError(hr, None, None, name, argument)


def _place_named(args, named, params, name):
    """Named arguments moved to their positions, gaps filled with Missing;
    the server itself takes no named arguments."""
    if params is None:
        raise TypeError("%s: named arguments need type information, which this object "
                        "does not offer" % name)
    positions = {p.name.lower(): i for i, p in enumerate(params)}
    args = list(args)
    for key, value in named.items():
        index = positions.get(key.lower())
        if index is None:
            raise TypeError("%s has no parameter %r (parameters: %s)"
                            % (name, key, ", ".join(p.name for p in params)))
        if index < len(args) and args[index] is not Missing:
            raise TypeError("%s got parameter %r twice" % (name, key))
        args += [Missing] * (index + 1 - len(args))
        args[index] = value
    return args


def create(source):
    """A new object of the class named by ProgID or "{class id}": its
    IDispatch pointer (a new reference)."""
    if not isinstance(source, str):
        raise TypeError("Dispatch takes a ProgID, a class id or a wrapped object, not %s"
                        % type(source).__name__)
    lib = _library.load()
    rt = lib.runtime
    text = source.encode("utf-16-le") + b"\0\0"
    clsid = GUID()
    lookup = rt.CLSIDFromString if source.startswith("{") else rt.CLSIDFromProgID
    hr = lookup(text, ctypes.byref(clsid))
    if hr < 0:
        raise ComError(hr, "No class is known as %r: the modules are loaded from %s" % (
            source, lib.folder or "the loader's search path"), member=source)
    pointer = ctypes.c_void_p()
    hr = rt.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_INPROC_SERVER,
                             ctypes.byref(IID_IDispatch), ctypes.byref(pointer))
    _errors.check(lib, hr, source)
    return pointer.value


_classes = {}  # TypeDescription -> Dispatch subclass


def class_for(description, base=Dispatch):
    """A subclass per interface, so that help() and tab completion show the
    members the type information lists."""
    key = (id(description), base)
    cls = _classes.get(key)
    if cls is None:
        lines = [description.name, ""] + sorted(
            "  " + m.signature() for m in description.members.values())
        body = {"_description": description, "__doc__": "\n".join(lines),
                "__module__": "kelto3d"}
        for member in description.members.values():
            if not member.name.startswith("_") and member.name not in dir(base):
                body[member.name] = _accessor(member)
        cls = _classes[key] = type(description.name, (base,), body)
    return cls


def _accessor(member):
    if member.is_property:
        def get(self):
            return self._call(member.dispid, DISPATCH_PROPERTYGET, (), {}, member, member.name)
        setter = None
        if _typeinfo.INVOKE_PROPERTYPUT in member.kinds or \
                _typeinfo.INVOKE_PROPERTYPUTREF in member.kinds:
            def setter(self, value):
                flags = DISPATCH_PROPERTYPUT
                if isinstance(value, Dispatch) and \
                        _typeinfo.INVOKE_PROPERTYPUTREF in member.kinds:
                    flags = DISPATCH_PROPERTYPUTREF
                self._call(member.dispid, flags, (value,), {}, member, member.name)
        return property(get, setter, doc=member.signature())

    def method(self, *args, **named):
        return self._call(member.dispid, _GET, args, named, member, member.name)
    method.__name__ = member.name
    method.__doc__ = member.signature()
    params = member.parameters(_GET) or []
    try:  # help() and completion show the parameters by name
        method.__signature__ = inspect.Signature(
            [inspect.Parameter("self", inspect.Parameter.POSITIONAL_OR_KEYWORD)] +
            [inspect.Parameter(p.name, inspect.Parameter.POSITIONAL_OR_KEYWORD,
                               default=Missing if p.optional else inspect.Parameter.empty)
             for p in params])
    except ValueError:  # a name Python cannot take: the plain form then
        pass
    return method


def wrap(pointer, cls=None):
    """A wrapper that owns the given reference (any interface of the object)."""
    lib = _library.load()
    dispatch = _vtable.query_interface(pointer, IID_IDispatch)
    if dispatch is not None:
        _vtable.release(pointer)
        pointer = dispatch
    description = _typeinfo.of_dispatch(lib, pointer) if dispatch is not None else None
    base = cls or Dispatch
    target = class_for(description, base) if description else base
    obj = object.__new__(target)
    obj.__dict__["_ptr"] = pointer
    if dispatch is None:
        obj.__dict__["_unknown_only"] = True
    return obj
