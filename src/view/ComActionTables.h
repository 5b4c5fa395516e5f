// The scripting classes DragActionTable, PickActionTable and
// WheelActionTable: CCollectionOnWrappedMapImpl over one of C3DDisplay's
// tables. A table made by a script owns an empty map of its own (made on
// demand); the view control attaches one to its display's table
// (WrapperFace), so changes act on the live bindings.
#pragma once

#include "com/ModuleLock.h"
#include "core/CollectionOnWrappedMap.h"
#include "core/ComWrapper.h"
#include "kelto3d/ActionTables.h"
#include "platform/com/Boundary.h"
#include "view/ActionHandlers.h"
#include "view/Display.h"

// clang-format off
#define KELTO_ACTION_TABLE_DISPATCH_MAP(I)                                                                     \
  KELTO_DISPATCH_MAP(I,                                                                                        \
      kelto::com::Method<&I::Add>("Add", kelto3d::kDispidActionTableAdd).Names("Keys, Action"),                \
      kelto::com::Method<&I::Remove>("Remove", kelto3d::kDispidActionTableRemove).Names("Keys"),               \
      kelto::com::Method<&I::RemoveAll>("RemoveAll", kelto3d::kDispidActionTableRemoveAll),                    \
      kelto::com::PropGet<&I::get_Item>("Item", kelto3d::kDispidActionTableItem).Names("Keys"),                \
      kelto::com::PropPut<&I::put_Item>("Item", kelto3d::kDispidActionTableItem).Names("Keys, newVal"),        \
      kelto::com::PropGet<&I::get_Count>("Count", kelto3d::kDispidActionTableCount),                           \
      kelto::com::Method<&I::Keys>("Keys", kelto3d::kDispidActionTableKeys))
// clang-format on

KELTO_ACTION_TABLE_DISPATCH_MAP(kelto3d::IDragActionTable);
KELTO_ACTION_TABLE_DISPATCH_MAP(kelto3d::IPickActionTable);
KELTO_ACTION_TABLE_DISPATCH_MAP(kelto3d::IWheelActionTable);
#undef KELTO_ACTION_TABLE_DISPATCH_MAP

// What one table class is made of.
struct DragTableTraits {
  static constexpr CLSID clsid = kelto3d::kClsidDragActionTable;
  using Interface = kelto3d::IDragActionTable;
  using Map = C3DDisplay::DragMap;
  using Action = kelto3d::DragAction;
  static constexpr auto ToEnum = &DragActionOf;
  static constexpr auto FromEnum = &DragHandlerOf;
};
struct PickTableTraits {
  static constexpr CLSID clsid = kelto3d::kClsidPickActionTable;
  using Interface = kelto3d::IPickActionTable;
  using Map = C3DDisplay::PickMap;
  using Action = kelto3d::PickAction;
  static constexpr auto ToEnum = &PickActionOf;
  static constexpr auto FromEnum = &PickHandlerOf;
};
struct WheelTableTraits {
  static constexpr CLSID clsid = kelto3d::kClsidWheelActionTable;
  using Interface = kelto3d::IWheelActionTable;
  using Map = C3DDisplay::WheelMap;
  using Action = kelto3d::WheelAction;
  static constexpr auto ToEnum = &WheelActionOf;
  static constexpr auto FromEnum = &WheelHandlerOf;
};

template <class Traits>
class CComActionTable
    : public kelto3d::ComObject<
          CComActionTable<Traits>,
          CCollectionOnWrappedMapImpl<CComActionTable<Traits>, typename Traits::Interface,
                                      typename Traits::Map, kelto3d::MouseKeys, unsigned,
                                      typename Traits::Action, typename Traits::Map::mapped_type,
                                      LONG>,
          kelto::com::SupportErrorInfo<typename Traits::Interface>>,
      public CComWrapper<typename Traits::Map, CComActionTable<Traits>, Traits,
                         typename Traits::Interface, typename Traits::Map*,
                         CDPOwner<typename Traits::Map>> {
 public:
  using Handler = typename Traits::Map::mapped_type;
  static constexpr CLSID kClsid = Traits::clsid;
  static typename Traits::Action ToEnum(const Handler& handler) { return Traits::ToEnum(handler); }
  static Handler FromEnum(typename Traits::Action action) { return Traits::FromEnum(action); }
};

using CComDragActionTable = CComActionTable<DragTableTraits>;
using CComPickActionTable = CComActionTable<PickTableTraits>;
using CComWheelActionTable = CComActionTable<WheelTableTraits>;
