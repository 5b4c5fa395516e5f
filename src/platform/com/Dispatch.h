// Dual interfaces from declarative dispatch tables.
//
// Each dual interface gets one table, declared once at global scope right
// after the interface (so every file that implements it sees the table),
// one row per line inside "clang-format off/on":
//
//   struct IWidget : IDispatch {
//     virtual HRESULT get_Count(LONG* pVal) = 0;
//     virtual HRESULT get_Item(VARIANT index, BSTR* pVal) = 0;
//     virtual HRESULT put_Item(VARIANT index, BSTR newVal) = 0;
//     virtual HRESULT Find(BSTR text, LONG start, IWidget** found) = 0;
//   };
//   KELTO_INTERFACE_IID(IWidget, IDispatch, "...");
//   KELTO_DISPATCH_MAP(IWidget,
//       PropGet<&IWidget::get_Count>("Count", 1),
//       PropGet<&IWidget::get_Item>("Item", DISPID_VALUE),
//       PropPut<&IWidget::put_Item>("Item", DISPID_VALUE),
//       Method<&IWidget::Find>("Find", 2, {1}));   // start defaults to 1
//
// and a class implements it through Dual<I>, which answers the four IDispatch
// methods from that table:
//
//   class CWidget : public Object<CWidget, Dual<IWidget>, SupportErrorInfo<IWidget>> {
//     HRESULT get_Count(LONG* pVal) override { ... }
//     ...
//   };
//
// An interface derived from another dual interface lists the base's members
// too, with KELTO_DISPATCH_MAP_INHERIT(ICone, IPrimitive, ...rows of ICone...).
//
// The table is checked when Dual<I> is compiled: one name per dispid, one
// dispid per name (case-insensitively), one row per dispid and kind, and no
// dispid both a method and a property.
//
// Invoke (see docs/runtime-dispatch.md): arguments arrive last first and are
// converted with VariantChangeType to the declared types; a failed
// conversion gives DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW with *puArgErr the
// argument's index in rgvarg; a failing member gives DISP_E_EXCEPTION with
// EXCEPINFO filled from the thread's error information. Named arguments are
// not supported (GetIDsOfNames answers DISP_E_UNKNOWNNAME for parameter
// names), except DISPID_PROPERTYPUT for the value of a property put.
//
// Type information comes from the same table (TypeInfo.h): GetTypeInfoCount
// answers 1 and GetTypeInfo(0) the interface's ITypeInfo. Parameter names
// are given with .Names("a, b") on a row; a row without them shows its
// parameters as "arg1", "arg2"...
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <type_traits>

#include "platform/com/DispatchEntry.h"
#include "platform/com/TypeInfo.h"

namespace kelto::com {

// The table of dual interface I: a specialisation with a static constexpr
// array (or std::array) `entries`. Use the macros below.
template <class I>
struct DispatchMap;

// The rows of Base's table followed by own (a new row with a base row's
// dispid and kind replaces it, as a derived interface may redeclare it).
template <class Base, std::size_t N>
consteval auto InheritEntries(const DispatchEntry (&own)[N]) {
  constexpr std::size_t baseCount = std::size(DispatchMap<Base>::entries);
  std::array<DispatchEntry, baseCount + N> all{};
  std::size_t n = 0;
  for (const DispatchEntry& b : DispatchMap<Base>::entries) {
    bool replaced = false;
    for (const DispatchEntry& o : own)
      if (o.dispid == b.dispid && o.kind == b.kind) replaced = true;
    if (!replaced) all[n++] = b;
  }
  for (const DispatchEntry& o : own) all[n++] = o;
  if (n != all.size()) throw "a derived interface redeclares a base member: list it once";
  return all;
}

namespace detail {

constexpr char AsciiLower(char16_t c) {
  return static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
}

consteval bool SameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (AsciiLower(static_cast<unsigned char>(*a)) != AsciiLower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

consteval bool ValidateMap(std::span<const DispatchEntry> entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DispatchEntry& a = entries[i];
    // (Rows are checked by name: comparing function addresses is not a
    // constant expression in every build mode.)
    if (!a.name) throw "an empty row in a dispatch table";
    for (const char* p = a.name; *p; ++p) {
      const char c = *p;
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
        throw "member names are ASCII letters, digits and underscores";
    }
    for (std::size_t j = i + 1; j < entries.size(); ++j) {
      const DispatchEntry& b = entries[j];
      const bool sameName = SameName(a.name, b.name);
      if (sameName && a.dispid != b.dispid) throw "one name with two dispids";
      if (a.dispid != b.dispid) continue;
      if (!sameName) throw "one dispid with two names";
      if (a.kind == b.kind) throw "a member is listed twice";
      if (a.kind == MemberKind::Method || b.kind == MemberKind::Method)
        throw "a dispid is either a method or a property";
    }
  }
  return true;
}

}  // namespace detail

// The IDispatch methods over a table, for Dual<I> and for hand-written
// IDispatch implementations. They never throw.
HRESULT DispatchGetTypeInfoCount(UINT* pctinfo) noexcept;
HRESULT DispatchGetTypeInfo(const InterfaceDescription& desc, UINT iTInfo,
                            ITypeInfo** ppTInfo) noexcept;

// The value an omitted optional argument takes, converted to the parameter's
// type (VT_ERROR / DISP_E_PARAMNOTFOUND for kMissing).
HRESULT DefaultArgumentValue(const DefaultValue& d, const ParamInfo& p, VARIANT* value) noexcept;

// A name without its namespaces ("kelto3d::IModelNode" -> "IModelNode").
constexpr const char* UnqualifiedName(const char* name) {
  const char* last = name;
  for (const char* p = name; *p; ++p)
    if (p[0] == ':' && p[1] == ':') last = p + 2;
  return last;
}

// The description of dual interface I that its type information is made of.
template <class I>
constexpr InterfaceDescription Describe() {
  return {UnqualifiedName(DispatchMap<I>::name), IidOf<I>(),
          std::span<const DispatchEntry>(DispatchMap<I>::entries)};
}
HRESULT DispatchGetIDsOfNames(std::span<const DispatchEntry> table, REFIID riid,
                              LPOLESTR* rgszNames, UINT cNames, DISPID* rgDispId) noexcept;
// iid names the interface in error information the call records; self is
// the object, as the IDispatch of the table's interface.
HRESULT DispatchInvoke(std::span<const DispatchEntry> table, const IID& iid, IDispatch* self,
                       DISPID dispIdMember, REFIID riid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept;

// The row of a table for a name (case-insensitive), or null.
const DispatchEntry* FindDispatchEntry(std::span<const DispatchEntry> table,
                                       std::u16string_view name) noexcept;

// Implements IDispatch for dual interface I from DispatchMap<I>. List
// Dual<I> in Object<...>'s interfaces in place of I.
template <class I>
class Dual : public I {
  static_assert(std::is_base_of_v<IDispatch, I>,
                "Dual<I> needs an interface derived from IDispatch");

 public:
  static constexpr std::span<const DispatchEntry> Table() {
    return std::span<const DispatchEntry>(DispatchMap<I>::entries);
  }
  static_assert(detail::ValidateMap(std::span<const DispatchEntry>(DispatchMap<I>::entries)));

  HRESULT GetTypeInfoCount(UINT* pctinfo) override { return DispatchGetTypeInfoCount(pctinfo); }
  HRESULT GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
    static constexpr InterfaceDescription kDescription = Describe<I>();
    return DispatchGetTypeInfo(kDescription, iTInfo, ppTInfo);
  }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                        DISPID* rgDispId) override {
    return DispatchGetIDsOfNames(Table(), riid, rgszNames, cNames, rgDispId);
  }
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    return DispatchInvoke(Table(), IidOf<I>(), static_cast<IDispatch*>(static_cast<I*>(this)),
                          dispIdMember, riid, wFlags, pDispParams, pVarResult, pExcepInfo,
                          puArgErr);
  }

 protected:
  Dual() = default;
  ~Dual() = default;
};

// QueryInterface finds Dual<I> under I's IID (and I's bases).
template <class I>
struct InterfaceId<Dual<I>> {
  using parent = typename InterfaceId<I>::parent;
  static constexpr IID value = InterfaceId<I>::value;
};

}  // namespace kelto::com

// Declares the dispatch table of Interface; use at global scope, after the
// interface and its KELTO_INTERFACE_IID. The rows are Method<&I::M>(...),
// PropGet<...>, PropPut<...>, PropPutRef<...> (DispatchEntry.h).
#define KELTO_DISPATCH_MAP(Interface, ...)                                  \
  template <>                                                               \
  struct kelto::com::DispatchMap<Interface> {                               \
    static constexpr const char* name = #Interface;                         \
    static constexpr ::kelto::com::DispatchEntry entries[] = {__VA_ARGS__}; \
  }

// As KELTO_DISPATCH_MAP, for an interface derived from dual interface Base:
// Base's rows come first, then the rows given here.
#define KELTO_DISPATCH_MAP_INHERIT(Interface, Base, ...)                               \
  template <>                                                                          \
  struct kelto::com::DispatchMap<Interface> {                                          \
    static_assert(std::is_base_of_v<Base, Interface>);                                 \
    static constexpr const char* name = #Interface;                                    \
    static constexpr auto entries = ::kelto::com::InheritEntries<Base>({__VA_ARGS__}); \
  }
