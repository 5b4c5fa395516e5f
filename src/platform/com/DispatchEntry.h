// One row of a dispatch table: a member of a dual interface as late-bound
// callers see it (name, dispid, kind, parameter types, optional parameters),
// bound to the C++ vtable member that implements it. Rows are made at
// compile time by Method / PropGet / PropPut / PropPutRef, which read the
// parameter types off the member's signature, so a table names only what the
// signature cannot say. See Dispatch.h for declaring a table and
// docs/runtime-dispatch.md for the rules.
//
// Signature → parameter, for [in] parameters:
//   LONG (int32_t) VT_I4     ULONG VT_UI4       double VT_R8     float VT_R4
//   VARIANT_BOOL VT_BOOL     BYTE VT_UI1        USHORT VT_UI2    BSTR VT_BSTR
//   VARIANT VT_VARIANT       enum (32-bit) VT_I4
//   IDispatch* VT_DISPATCH   IUnknown* VT_UNKNOWN
//   I* for another interface: VT_DISPATCH when I derives from IDispatch, else
//       VT_UNKNOWN, and the argument is asked (QueryInterface) for I.
// A pointer to any of these (BSTR*, VARIANT*, I**, ...) is an [out]
// parameter; in a property get, and by default in a method, the last one is
// [out, retval] and its value is the call's result.
//
// VARIANT_BOOL and SHORT are the same C++ type, so a 16-bit parameter is
// VT_BOOL unless the row says .ParamType(i, VT_I2); likewise double is VT_R8
// unless it says VT_DATE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/com/Interfaces.h"

namespace kelto::com {

// The kinds, with the values of the DISPATCH_* flags that select them.
enum class MemberKind : WORD {
  Method = DISPATCH_METHOD,
  Get = DISPATCH_PROPERTYGET,
  Put = DISPATCH_PROPERTYPUT,
  PutRef = DISPATCH_PROPERTYPUTREF,
};

inline constexpr std::size_t kMaxDispatchParams = 16;

// The value an omitted optional argument takes. Converted to the
// parameter's type at call time, as if the caller had passed it.
struct DefaultValue {
  enum class Kind : std::uint8_t { None, Missing, Empty, Int, Real, Bool, Text };
  Kind kind = Kind::None;
  std::int32_t i = 0;
  double d = 0;
  const char* s = nullptr;  // UTF-8

  constexpr DefaultValue() = default;
  constexpr DefaultValue(int v) : kind(Kind::Int), i(v) {}
  constexpr DefaultValue(double v) : kind(Kind::Real), d(v) {}
  constexpr DefaultValue(bool v) : kind(Kind::Bool), i(v ? 1 : 0) {}
  constexpr DefaultValue(const char* v) : kind(Kind::Text), s(v) {}
  // A null object for an interface parameter, VT_EMPTY for a VARIANT one.
  constexpr DefaultValue(std::nullptr_t) : kind(Kind::Empty) {}

  static constexpr DefaultValue MissingArgument() {
    DefaultValue v;
    v.kind = Kind::Missing;
    return v;
  }
};

// For an [optional] VARIANT parameter without a default: the member receives
// VT_ERROR with DISP_E_PARAMNOTFOUND, the usual "not passed" marker.
inline constexpr DefaultValue kMissing = DefaultValue::MissingArgument();

struct ParamInfo {
  VARTYPE vt = VT_EMPTY;     // the declared type (of the pointee for [out])
  bool out = false;          // written by the member
  const IID* iid = nullptr;  // the interface an object argument is asked for
};

struct DispatchEntry {
  const char* name = nullptr;
  DISPID dispid = 0;
  MemberKind kind = MemberKind::Method;
  std::uint8_t paramCount = 0;     // parameters of the vtable member
  std::uint8_t optionalCount = 0;  // trailing caller arguments that may be left out
  bool retval = false;             // the last parameter is [out, retval]
  ParamInfo params[kMaxDispatchParams]{};
  DefaultValue defaults[kMaxDispatchParams]{};  // by parameter index, for the optional ones
  // The caller's parameters' names for type information, comma-separated
  // ("x, y, z"); null when the row gives none.
  const char* paramNames = nullptr;
  // Calls the member on self with one VARIANT slot per parameter: [in]
  // slots hold values already of the declared type; [out] slots receive the
  // results (their vt is set by the caller of `call`, except for VARIANTs).
  HRESULT (*call)(IDispatch* self, VARIANT* slots) = nullptr;

  // Arguments a caller passes when it passes all of them.
  constexpr std::size_t CallerArgs() const { return paramCount - (retval ? 1u : 0u); }

  // For methods whose pointer parameters are all plain [out] (the caller
  // passes variables by reference; nothing is returned).
  consteval DispatchEntry NoRetval() const {
    DispatchEntry e = *this;
    if (kind != MemberKind::Method) throw "NoRetval applies to methods only";
    if (optionalCount) throw "optional parameters cannot come before an [out] parameter";
    e.retval = false;
    return e;
  }

  // Names the caller's parameters (those before an [out, retval] one).
  consteval DispatchEntry Names(const char* names) const {
    DispatchEntry e = *this;
    std::size_t count = 1;
    for (const char* p = names; *p; ++p)
      if (*p == ',') ++count;
    if (count != CallerArgs()) throw "Names: one name per caller parameter";
    e.paramNames = names;
    return e;
  }

  // Re-types a parameter whose C++ type stands for two VARTYPEs:
  // VT_BOOL <-> VT_I2 (16-bit) and VT_R8 <-> VT_DATE (double).
  consteval DispatchEntry ParamType(std::size_t index, VARTYPE vt) const {
    DispatchEntry e = *this;
    if (index >= paramCount) throw "ParamType: no such parameter";
    const VARTYPE was = e.params[index].vt;
    const bool ok = ((was == VT_BOOL || was == VT_I2) && (vt == VT_BOOL || vt == VT_I2)) ||
                    ((was == VT_R8 || was == VT_DATE) && (vt == VT_R8 || vt == VT_DATE));
    if (!ok) throw "ParamType: only VT_BOOL/VT_I2 and VT_R8/VT_DATE can be swapped";
    e.params[index].vt = vt;
    return e;
  }
};

namespace detail {

// --- parameter types -------------------------------------------------------

template <class T>
struct Scalar {
  static constexpr bool ok = false;
};
#define KELTO_DISPATCH_SCALAR(Type, Vt, field)             \
  template <>                                              \
  struct Scalar<Type> {                                    \
    static constexpr bool ok = true;                       \
    static constexpr VARTYPE vt = Vt;                      \
    static Type Load(const VARIANT& v) { return v.field; } \
    static void Store(Type x, VARIANT& v) { v.field = x; } \
  }
KELTO_DISPATCH_SCALAR(LONG, VT_I4, lVal);
KELTO_DISPATCH_SCALAR(ULONG, VT_UI4, ulVal);
KELTO_DISPATCH_SCALAR(SHORT, VT_BOOL, iVal);  // also VARIANT_BOOL; see ParamType
KELTO_DISPATCH_SCALAR(USHORT, VT_UI2, uiVal);
KELTO_DISPATCH_SCALAR(BYTE, VT_UI1, bVal);
KELTO_DISPATCH_SCALAR(double, VT_R8, dblVal);
KELTO_DISPATCH_SCALAR(float, VT_R4, fltVal);
KELTO_DISPATCH_SCALAR(BSTR, VT_BSTR, bstrVal);
#undef KELTO_DISPATCH_SCALAR

template <>
struct Scalar<VARIANT> {
  static constexpr bool ok = true;
  static constexpr VARTYPE vt = VT_VARIANT;
  static VARIANT Load(const VARIANT& v) { return v; }
  static void Store(const VARIANT& x, VARIANT& v) { v = x; }
};

template <class T>
requires(std::is_enum_v<T> && sizeof(T) == sizeof(LONG)) struct Scalar<T> {
  static constexpr bool ok = true;
  static constexpr VARTYPE vt = VT_I4;
  static T Load(const VARIANT& v) { return static_cast<T>(v.lVal); }
  static void Store(T x, VARIANT& v) { v.lVal = static_cast<LONG>(x); }
};

template <class T>
concept ScalarType = Scalar<T>::ok;

template <class T>
concept InterfaceType = std::is_base_of_v<IUnknown, T> && requires {
  InterfaceId<T>::value;
};

template <InterfaceType T>
constexpr VARTYPE InterfaceVt = std::is_base_of_v<IDispatch, T> ? VT_DISPATCH : VT_UNKNOWN;

template <InterfaceType T>
constexpr const IID* InterfaceIid() {
  // Plain IUnknown and IDispatch arguments need no QueryInterface beyond the
  // one that makes VT_DISPATCH from VT_UNKNOWN.
  if constexpr (std::is_same_v<T, IUnknown> || std::is_same_v<T, IDispatch>)
    return nullptr;
  else
    return &InterfaceId<T>::value;
}

template <InterfaceType T>
T* LoadInterface(const VARIANT& v) {
  if constexpr (std::is_base_of_v<IDispatch, T>)
    return static_cast<T*>(v.pdispVal);
  else
    return static_cast<T*>(v.punkVal);
}

// Arg<A>: how a parameter of C++ type A is passed. Slot is what the thunk
// holds for the call, Init makes it from the prepared VARIANT, Pass gives
// the member its argument, Finish moves an [out] result into the VARIANT.
template <class A>
struct Arg {
  static_assert(sizeof(A) == 0,
                "this parameter type cannot appear in a dispatch table (see DispatchEntry.h)");
};

template <ScalarType T>
struct Arg<T> {
  using Slot = T;
  static constexpr ParamInfo info{Scalar<T>::vt, false, nullptr};
  static Slot Init(const VARIANT& v) { return Scalar<T>::Load(v); }
  static T Pass(Slot& s) { return s; }
  static void Finish(Slot&, VARIANT&) {}
};

template <ScalarType T>
struct Arg<T*> {
  using Slot = T;
  static constexpr ParamInfo info{Scalar<T>::vt, true, nullptr};
  static Slot Init(const VARIANT&) { return Slot{}; }
  static T* Pass(Slot& s) { return &s; }
  static void Finish(Slot& s, VARIANT& v) { Scalar<T>::Store(s, v); }
};

template <InterfaceType T>
struct Arg<T*> {
  using Slot = T*;
  static constexpr ParamInfo info{InterfaceVt<T>, false, InterfaceIid<T>()};
  static Slot Init(const VARIANT& v) { return LoadInterface<T>(v); }
  static T* Pass(Slot& s) { return s; }
  static void Finish(Slot&, VARIANT&) {}
};

template <InterfaceType T>
struct Arg<T**> {
  using Slot = T*;
  static constexpr ParamInfo info{InterfaceVt<T>, true, InterfaceIid<T>()};
  static Slot Init(const VARIANT&) { return nullptr; }
  static T** Pass(Slot& s) { return &s; }
  static void Finish(Slot& s, VARIANT& v) {
    if constexpr (std::is_base_of_v<IDispatch, T>)
      v.pdispVal = s;
    else
      v.punkVal = s;
  }
};

// --- the member's signature ----------------------------------------------

template <class I, auto M, class... A>
HRESULT Invoker(IDispatch* self, VARIANT* slots) {
  return [&]<std::size_t... Is>(std::index_sequence<Is...>) {
    std::tuple<typename Arg<A>::Slot...> held{Arg<A>::Init(slots[Is])...};
    const HRESULT hr = (static_cast<I*>(self)->*M)(Arg<A>::Pass(std::get<Is>(held))...);
    (Arg<A>::Finish(std::get<Is>(held), slots[Is]), ...);
    return hr;
  }
  (std::index_sequence_for<A...>{});
}

template <class F>
struct MemberSig {
  static constexpr bool ok = false;
};
template <class I, class... A>
struct MemberSig<HRESULT (I::*)(A...)> {
  static constexpr bool ok = true;
  using Interface = I;
  using Args = std::tuple<A...>;
  static constexpr std::size_t arity = sizeof...(A);
  template <auto M>
  static constexpr HRESULT (*invoker)(IDispatch*, VARIANT*) = &Invoker<I, M, A...>;
  static constexpr void Fill(ParamInfo* p) {
    std::size_t i = 0;
    ((p[i++] = Arg<A>::info), ...);
  }
};
template <class I, class... A>
struct MemberSig<HRESULT (I::*)(A...) noexcept> : MemberSig<HRESULT (I::*)(A...)> {};

consteval bool IsObjectVt(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

consteval void ApplyDefaults(DispatchEntry& e, std::initializer_list<DefaultValue> defaults) {
  const std::size_t k = defaults.size();
  const std::size_t callerArgs = e.CallerArgs();
  if (k > callerArgs) throw "more defaults than parameters";
  if (k && (e.kind == MemberKind::Put || e.kind == MemberKind::PutRef))
    throw "the value of a property put cannot be optional";
  std::size_t index = callerArgs - k;
  for (const DefaultValue& d : defaults) {
    const ParamInfo& p = e.params[index];
    if (p.out) throw "an [out] parameter cannot be optional";
    using K = DefaultValue::Kind;
    switch (d.kind) {
      case K::None:
        throw "empty default value";
      case K::Missing:
        if (p.vt != VT_VARIANT) throw "kMissing is for VARIANT parameters only";
        break;
      case K::Empty:
        if (p.vt != VT_VARIANT && !IsObjectVt(p.vt))
          throw "nullptr is a default for object or VARIANT parameters only";
        break;
      case K::Text:
        if (p.vt != VT_BSTR && p.vt != VT_VARIANT)
          throw "a text default needs a BSTR or VARIANT parameter";
        break;
      case K::Int:
      case K::Real:
      case K::Bool:
        if (IsObjectVt(p.vt)) throw "an object parameter can only default to nullptr";
        break;
    }
    e.defaults[index++] = d;
  }
  e.optionalCount = static_cast<std::uint8_t>(k);
}

template <auto M>
consteval DispatchEntry MakeEntry(const char* name, DISPID dispid, MemberKind kind,
                                  std::initializer_list<DefaultValue> defaults) {
  using Sig = MemberSig<decltype(M)>;
  static_assert(Sig::ok, "a dispatch member must be `HRESULT (Interface::*)(params...)`");
  static_assert(std::is_base_of_v<IDispatch, typename Sig::Interface>,
                "dispatch members belong to interfaces derived from IDispatch");
  static_assert(Sig::arity <= kMaxDispatchParams, "too many parameters");
  if (!name || !*name) throw "a member needs a name";
  DispatchEntry e;
  e.name = name;
  e.dispid = dispid;
  e.kind = kind;
  e.paramCount = static_cast<std::uint8_t>(Sig::arity);
  Sig::Fill(e.params);
  e.call = Sig::template invoker<M>;
  const std::size_t n = Sig::arity;
  const bool lastOut = n > 0 && e.params[n - 1].out;
  switch (kind) {
    case MemberKind::Method:
      e.retval = lastOut;
      break;
    case MemberKind::Get:
      if (!lastOut) throw "a property get ends with its [out, retval] pointer";
      for (std::size_t i = 0; i + 1 < n; ++i)
        if (e.params[i].out) throw "a property get has one [out] parameter, its retval";
      e.retval = true;
      break;
    case MemberKind::Put:
    case MemberKind::PutRef:
      if (n == 0) throw "a property put ends with the value parameter";
      for (std::size_t i = 0; i < n; ++i)
        if (e.params[i].out) throw "a property put has no [out] parameters";
      if (kind == MemberKind::PutRef && !IsObjectVt(e.params[n - 1].vt) &&
          e.params[n - 1].vt != VT_VARIANT)
        throw "a property putref takes an object (or VARIANT) value";
      break;
  }
  ApplyDefaults(e, defaults);
  return e;
}

}  // namespace detail

// The row factories. M is the vtable member, e.g. &IModelNode::get_Children.
// defaults are the values of the last parameters the caller may leave out.
template <auto M>
consteval DispatchEntry Method(const char* name, DISPID dispid,
                               std::initializer_list<DefaultValue> defaults = {}) {
  return detail::MakeEntry<M>(name, dispid, MemberKind::Method, defaults);
}
template <auto M>
consteval DispatchEntry PropGet(const char* name, DISPID dispid,
                                std::initializer_list<DefaultValue> defaults = {}) {
  return detail::MakeEntry<M>(name, dispid, MemberKind::Get, defaults);
}
template <auto M>
consteval DispatchEntry PropPut(const char* name, DISPID dispid,
                                std::initializer_list<DefaultValue> defaults = {}) {
  return detail::MakeEntry<M>(name, dispid, MemberKind::Put, defaults);
}
template <auto M>
consteval DispatchEntry PropPutRef(const char* name, DISPID dispid,
                                   std::initializer_list<DefaultValue> defaults = {}) {
  return detail::MakeEntry<M>(name, dispid, MemberKind::PutRef, defaults);
}

}  // namespace kelto::com
