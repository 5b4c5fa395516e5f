// The Options object's scripting interface, as a host compiles against it.
//
//   Options  CLSID 63B37CF0-B2D0-451C-8883-48DE63C55CCE  ("Oxbay3Support.Options")
//
// An Options object is the face of one component's settings registry: the
// view control's GraphicsOptions and a model builder's Options hand out one
// bound to their own settings; an object the host creates has an empty
// registry of its own. Besides IOptions it implements IPersistPropertyBag,
// IPersistStreamInit and IPersistStorage (the saved forms are described in
// docs/options.md), IConnectionPointContainer with the event interface
// _IOptionsEvents (which has no events), and ISupportErrorInfo.
#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidOptions = kelto::com::MakeGuid("63B37CF0-B2D0-451C-8883-48DE63C55CCE");

inline constexpr DISPID kDispidOptionsItem = 0;  // DISPID_VALUE
inline constexpr DISPID kDispidOptionsTestGetContents = 2;
inline constexpr DISPID kDispidOptionsTestSetContents = 3;

// The event interface of Options. It has no events; hosts may still connect
// to it.
struct _IOptionsEvents : IDispatch {};

struct IOptions : IDispatch {
  // The value of the option called Name (VT_BOOL, VT_R4 or VT_I4). An
  // unregistered name fails with DISP_E_BADINDEX.
  virtual HRESULT get_Item(BSTR Name, VARIANT* pVal) = 0;
  // Sets the option, converting newVal to its type; a value that does not
  // convert leaves the option as it was, and the change is still announced.
  virtual HRESULT put_Item(BSTR Name, VARIANT newVal) = 0;
  // All options as one array (VT_ARRAY | VT_VARIANT, lower bound 0): name,
  // value, name, value ... in byte-wise name order.
  virtual HRESULT TestGetContents(VARIANT* pVal) = 0;
  // Applies such an array pair by pair; names that are not registered are
  // skipped. One change notice names every option set.
  virtual HRESULT TestSetContents(VARIANT newVal) = 0;
};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::_IOptionsEvents, IDispatch, "4087F633-E7AD-40A1-893D-BCB0C3354E1F");
KELTO_INTERFACE_IID(kelto3d::IOptions, IDispatch, "9AC6EACF-6A53-42AB-BFED-56CDDBC935CB");

// clang-format off
KELTO_DISPATCH_MAP(kelto3d::IOptions,
    kelto::com::PropGet<&kelto3d::IOptions::get_Item>("Item", kelto3d::kDispidOptionsItem).Names("Name"),
    kelto::com::PropPut<&kelto3d::IOptions::put_Item>("Item", kelto3d::kDispidOptionsItem).Names("Name, newVal"),
    kelto::com::Method<&kelto3d::IOptions::TestGetContents>("TestGetContents", kelto3d::kDispidOptionsTestGetContents),
    kelto::com::Method<&kelto3d::IOptions::TestSetContents>("TestSetContents", kelto3d::kDispidOptionsTestSetContents).Names("newVal"));
// clang-format on
