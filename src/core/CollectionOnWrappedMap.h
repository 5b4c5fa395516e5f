// CCollectionOnWrappedMapImpl: the scripting face of a std::map of bindings
// that an internal object owns (embedded as CWrapped<std::map<TKey, TValue>>),
// keyed by a flags enumeration and holding values that scripts see as an
// enumeration (the mouse action tables are its users: key = mouse keys,
// value = the handler an action stands for).
//
//   template <...>
//   class CComDragTable
//       : public kelto3d::ComObject<CComDragTable,
//                                   CCollectionOnWrappedMapImpl<CComDragTable, IDragActionTable,
//                                                               DragMap, MouseKeys, unsigned,
//                                                               DragAction, Handler, LONG>,
//                                   kelto::com::SupportErrorInfo<IDragActionTable>>,
//         public CComWrapper<DragMap, CComDragTable, ...> {
//    public:
//     static constexpr CLSID kClsid = ...;               // for error information
//     static DragAction ToEnum(const Handler&);          // throws std::invalid_argument
//     static Handler FromEnum(DragAction);               // throws std::invalid_argument
//   };
//
// List the implementation in ObjectIn's interfaces in place of Dual<TInterface>
// (QueryInterface answers TInterface's IID and its bases through it).
// TInterface is a dual interface with a dispatch table and these members:
//
//   Add(TKeyEnum, TValueEnum)         bind; "Already exists." when the key is
//                                     bound (even to the same value); the none
//                                     value (TValueEnum{}) binds nothing
//   Remove(TKeyEnum)                  unbind; an unbound key is no error
//   RemoveAll()
//   get_Item(TKeyEnum, TValueEnum*)   the bound value, none when unbound
//   put_Item(TKeyEnum, TValueEnum)    bind or rebind; none unbinds
//   get_Count(TIndex*)
//   Keys(VARIANT*)                    VT_ARRAY | VT_I4 of the bound keys, in
//                                     ascending key order (lower bound 0)
//
// Outside the type library, C++ callers also get RemoveAt, get_ItemAt and
// put_ItemAt, which take a VARIANT: VT_I4 is a 0-based position in ascending
// key order ("Invalid Position" when out of range), any other VARIANT is
// converted to a key ("Bad Index" when it does not convert); and get__NewEnum,
// an enumerator over the bound values (as VT_I4) in key order.
//
// The none value is never stored. Values go through TComClass::FromEnum
// before anything changes, so an unknown value leaves the map as it was; a
// stored value that ToEnum cannot name fails the read. Every member reports
// failures as error information with TComClass::kClsid and never throws.
#pragma once

#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComError.h"
#include "platform/com/Dispatch.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

template <class TComClass, class TInterface, class TWrappedMap, class TKeyEnum, class TKey,
          class TValueEnum, class TValue, class TIndex>
class CCollectionOnWrappedMapImpl : public kelto::com::Dual<TInterface> {
  static_assert(std::is_same_v<typename TWrappedMap::key_type, TKey>, "TKey is the map's key");
  static_assert(std::is_same_v<typename TWrappedMap::mapped_type, TValue>,
                "TValue is the map's value");
  static_assert(std::is_integral_v<TKey> && sizeof(TKey) <= sizeof(LONG),
                "keys travel as 32-bit integers");

 public:
  HRESULT Add(TKeyEnum keys, TValueEnum value) override {
    return Guarded([&] {
      TWrappedMap& map = Map();
      const TKey key = static_cast<TKey>(keys);
      if (map.count(key)) throw std::runtime_error("Already exists.");
      if (value == TValueEnum{}) return;
      map.emplace(key, TComClass::FromEnum(value));
    });
  }

  HRESULT Remove(TKeyEnum keys) override {
    return Guarded([&] { Map().erase(static_cast<TKey>(keys)); });
  }

  HRESULT RemoveAll() override {
    return Guarded([&] { Map().clear(); });
  }

  HRESULT get_Item(TKeyEnum keys, TValueEnum* pVal) override {
    return Guarded([&] {
      CheckResult(pVal);
      *pVal = ValueAt(static_cast<TKey>(keys));
    });
  }

  HRESULT put_Item(TKeyEnum keys, TValueEnum newVal) override {
    return Guarded([&] { Bind(static_cast<TKey>(keys), newVal); });
  }

  HRESULT get_Count(TIndex* pVal) override {
    return Guarded([&] {
      CheckResult(pVal);
      *pVal = static_cast<TIndex>(Map().size());
    });
  }

  HRESULT Keys(VARIANT* pVal) override {
    return Guarded([&] {
      CheckResult(pVal);
      VariantInit(pVal);
      const TWrappedMap& map = Map();
      SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(map.size()));
      if (!array) throw std::bad_alloc();
      _variant_t keys = _variant_t::AdoptArray(array, VT_I4);
      LONG index = 0;
      for (const auto& [key, value] : map) {
        LONG k = static_cast<LONG>(key);
        kelto::com::ThrowIfFailed(SafeArrayPutElement(array, &index, &k));
        ++index;
      }
      *pVal = keys.Detach();
    });
  }

  // --- Outside the type library ---------------------------------------------------

  HRESULT RemoveAt(VARIANT index) {
    return Guarded([&] {
      TWrappedMap& map = Map();
      if (auto it = Find(map, index); it != map.end()) map.erase(it);
    });
  }

  HRESULT get_ItemAt(VARIANT index, TValueEnum* pVal) {
    return Guarded([&] {
      CheckResult(pVal);
      TWrappedMap& map = Map();
      const auto it = Find(map, index);
      *pVal = it == map.end() ? TValueEnum{} : TComClass::ToEnum(it->second);
    });
  }

  HRESULT put_ItemAt(VARIANT index, TValueEnum newVal) {
    return Guarded([&] {
      TWrappedMap& map = Map();
      if (IsPosition(index)) {
        // A position names an existing binding; rebind (or unbind) its key.
        Bind(PositionIn(map, index)->first, newVal);
      } else {
        Bind(KeyOf(index), newVal);
      }
    });
  }

  HRESULT get__NewEnum(IUnknown** ppEnum) {
    return Guarded([&] {
      CheckResult(ppEnum);
      *ppEnum = nullptr;
      std::vector<VARIANT> items;
      items.reserve(Map().size());
      // VT_I4 items own nothing, so a throw part way leaks nothing.
      for (const auto& [key, value] : Map()) {
        VARIANT item;
        VariantInit(&item);
        item.vt = VT_I4;
        item.lVal = static_cast<LONG>(TComClass::ToEnum(value));
        items.push_back(item);
      }
      IEnumVARIANT* e = nullptr;
      kelto::com::ThrowIfFailed(kelto::com::CreateEnumVariant(std::move(items), &e));
      *ppEnum = e;
    });
  }

 protected:
  CCollectionOnWrappedMapImpl() = default;
  ~CCollectionOnWrappedMapImpl() = default;

 private:
  using iterator = typename TWrappedMap::iterator;

  template <class F>
  HRESULT Guarded(F&& body) {
    return kelto::com::Guard(TComClass::kClsid, kelto::com::IidOf<TInterface>(),
                             std::forward<F>(body));
  }

  static void CheckResult(const void* p) {
    if (!p) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
  }

  TWrappedMap& Map() {
    TWrappedMap* map = static_cast<TComClass*>(this)->GetObject();
    if (!map) throw kelto::com::HResultError(E_UNEXPECTED, "The collection has no map.");
    return *map;
  }

  TValueEnum ValueAt(TKey key) {
    TWrappedMap& map = Map();
    const auto it = map.find(key);
    return it == map.end() ? TValueEnum{} : TComClass::ToEnum(it->second);
  }

  // The none value unbinds; anything else is converted before the map
  // changes, so an unknown value leaves the binding as it was.
  void Bind(TKey key, TValueEnum value) {
    TWrappedMap& map = Map();
    if (value == TValueEnum{}) {
      map.erase(key);
      return;
    }
    TValue converted = TComClass::FromEnum(value);
    map.insert_or_assign(key, std::move(converted));
  }

  static bool IsPosition(const VARIANT& index) {
    const VARIANT* v = &index;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    return v->vt == VT_I4 || v->vt == (VT_BYREF | VT_I4);
  }

  static iterator PositionIn(TWrappedMap& map, const VARIANT& index) {
    _variant_t position;
    kelto::com::ThrowIfFailed(VariantCopyInd(&position, &index));
    if (position.vt != VT_I4) throw std::out_of_range("Bad Index");
    const LONG p = position.lVal;
    if (p < 0 || static_cast<std::size_t>(p) >= map.size())
      throw std::out_of_range("Invalid Position");
    return std::next(map.begin(), p);
  }

  static TKey KeyOf(const VARIANT& index) {
    constexpr VARTYPE keyVt = std::is_signed_v<TKey> ? VT_I4 : VT_UI4;
    _variant_t key;
    if (FAILED(VariantChangeType(&key, &index, 0, keyVt))) throw std::out_of_range("Bad Index");
    if constexpr (std::is_signed_v<TKey>) {
      if (key.lVal < std::numeric_limits<TKey>::min() ||
          key.lVal > std::numeric_limits<TKey>::max())
        throw std::out_of_range("Bad Index");
      return static_cast<TKey>(key.lVal);
    } else {
      if (key.ulVal > std::numeric_limits<TKey>::max()) throw std::out_of_range("Bad Index");
      return static_cast<TKey>(key.ulVal);
    }
  }

  // The binding a VARIANT names: by position (which must exist) or by key
  // (end() when unbound).
  static iterator Find(TWrappedMap& map, const VARIANT& index) {
    if (IsPosition(index)) return PositionIn(map, index);
    return map.find(KeyOf(index));
  }
};

template <class TComClass, class TInterface, class TWrappedMap, class TKeyEnum, class TKey,
          class TValueEnum, class TValue, class TIndex>
struct kelto::com::InterfaceId<CCollectionOnWrappedMapImpl<
    TComClass, TInterface, TWrappedMap, TKeyEnum, TKey, TValueEnum, TValue, TIndex>> {
  using parent = typename InterfaceId<TInterface>::parent;
  static constexpr IID value = InterfaceId<TInterface>::value;
};
