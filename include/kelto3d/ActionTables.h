// The mouse action tables, as a host compiles against them.
//
//   DragActionTable   CLSID 6CC9F30F-DB44-4278-9F9F-87A60E07E6BA  ("Kelto3D.DragActionTable")
//   PickActionTable   CLSID 0FEB6171-A2F5-46B7-804B-7B8CB6B99657  ("Kelto3D.PickActionTable")
//   WheelActionTable  CLSID 0892B37F-E2A4-461A-91FE-80244BF35EA7  ("Kelto3D.WheelActionTable")
//
// Each table binds a combination of mouse buttons and modifier keys (a
// MouseKeys bit set, matched exactly) to one action of the view: dragging,
// clicking, double-clicking (both PickActionTable) and turning the wheel.
// The view control hands out the tables of its display; changes act on the
// next mouse event. A table created on its own is empty.
//
// Errors come back as error information: "Already exists." (Add of a bound
// key), "Unknown drag action." / "Unknown pick action." / "Unknown wheel
// action." (an action value outside the enumeration).
#pragma once

#include "platform/com/Enumeration.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

// Each enumeration is a list of X(name, value) rows (platform/com/Enumeration.h):
// the type library's constants are made from the same lists.
// clang-format off
#define KELTO3D_MOUSE_KEYS(X) \
  X(mkLButton, 1) X(mkRButton, 2) X(mkShift, 4) X(mkControl, 8) X(mkMButton, 16) \
  X(mkXButton1, 32) X(mkXButton2, 64)
#define KELTO3D_DRAG_ACTIONS(X) \
  X(daNone, 0) X(daZoom, 1) X(daRotateUDLR, 2) X(daRotateUDCA, 3) X(daPan, 4)
#define KELTO3D_PICK_ACTIONS(X) \
  X(paNone, 0) X(paCentre, 1) X(paSelect, 2) X(paToggleSelect, 3) X(paPopupMenu, 4)
#define KELTO3D_WHEEL_ACTIONS(X) X(waNone, 0) X(waZoomInv, 1)
// clang-format on

enum MouseKeys : LONG { KELTO3D_MOUSE_KEYS(KELTO_ENUMERATOR) };
enum DragAction : LONG { KELTO3D_DRAG_ACTIONS(KELTO_ENUMERATOR) };
enum PickAction : LONG { KELTO3D_PICK_ACTIONS(KELTO_ENUMERATOR) };
enum WheelAction : LONG { KELTO3D_WHEEL_ACTIONS(KELTO_ENUMERATOR) };

inline constexpr CLSID kClsidDragActionTable =
    kelto::com::MakeGuid("6CC9F30F-DB44-4278-9F9F-87A60E07E6BA");
inline constexpr CLSID kClsidPickActionTable =
    kelto::com::MakeGuid("0FEB6171-A2F5-46B7-804B-7B8CB6B99657");
inline constexpr CLSID kClsidWheelActionTable =
    kelto::com::MakeGuid("0892B37F-E2A4-461A-91FE-80244BF35EA7");

// Dispatch ids, the same in the three tables.
inline constexpr DISPID kDispidActionTableItem = 0;  // DISPID_VALUE
inline constexpr DISPID kDispidActionTableAdd = 1;
inline constexpr DISPID kDispidActionTableRemove = 2;
inline constexpr DISPID kDispidActionTableRemoveAll = 3;
inline constexpr DISPID kDispidActionTableCount = 4;
inline constexpr DISPID kDispidActionTableKeys = 5;

// The three interfaces have the same members for their own action type.
// Add: "Already exists." when Keys is bound (even to the same action); the
// none action binds nothing. Remove: an unbound key is no error. Item get:
// the bound action or none; put: bind or rebind, none unbinds. Keys: a
// VT_ARRAY | VT_I4 of the bound keys in ascending order.
template <class TAction>
struct IActionTableOf : IDispatch {
  virtual HRESULT Add(MouseKeys Keys, TAction Action) = 0;
  virtual HRESULT Remove(MouseKeys Keys) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get_Item(MouseKeys Keys, TAction* pVal) = 0;
  virtual HRESULT put_Item(MouseKeys Keys, TAction newVal) = 0;
  virtual HRESULT get_Count(LONG* pVal) = 0;
  virtual HRESULT Keys(VARIANT* pVal) = 0;
};

struct IDragActionTable : IActionTableOf<DragAction> {};
struct IPickActionTable : IActionTableOf<PickAction> {};
struct IWheelActionTable : IActionTableOf<WheelAction> {};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::IDragActionTable, IDispatch, "9FB28F60-C5C1-4188-8BAD-6EE264DA85B6");
KELTO_INTERFACE_IID(kelto3d::IPickActionTable, IDispatch, "A8C086C1-C067-4C66-9FFB-2B3CFD3E1BC2");
KELTO_INTERFACE_IID(kelto3d::IWheelActionTable, IDispatch, "56B05199-1158-4968-9EBF-483D1FF66F79");
