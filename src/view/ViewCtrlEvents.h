// The view control's events as its clients' sinks receive them, for the type
// library: _IPipeline3DViewCtrlEvents is a dispinterface (a sink implements
// IDispatch only and is called through Invoke), so its members are described
// by the dispatch table of IFViewCtrlEvents, an interface no object
// implements. The control fires them with these dispids and argument types
// (Pipeline3DViewCtrl.cpp, Pipeline3DViewCtrlSelection.cpp).
#pragma once

#include "kelto3d/View.h"
#include "platform/com/Dispatch.h"

struct IFViewCtrlEvents : IDispatch {
  // Either object is null when there is none (nothing was selected before,
  // or the click selected nothing).
  virtual HRESULT SelectionChanged(IDispatch* UnselectedObject, IDispatch* SelectedObject) = 0;
  virtual HRESULT DropFile(BSTR FileName) = 0;
  // MouseY is measured upwards from the bottom of the view; Items holds the
  // picked objects, nearest first.
  virtual HRESULT PopupMenu(LONG MouseX, LONG MouseY, kelto3d::IPipeItems* Items) = 0;
  virtual HRESULT ViewChanged() = 0;
};

// clang-format off
KELTO_DISPATCH_MAP(IFViewCtrlEvents,
    kelto::com::Method<&IFViewCtrlEvents::SelectionChanged>("SelectionChanged", kelto3d::kDispidEventSelectionChanged).Names("UnselectedObject, SelectedObject"),
    kelto::com::Method<&IFViewCtrlEvents::DropFile>("DropFile", kelto3d::kDispidEventDropFile).Names("FileName"),
    kelto::com::Method<&IFViewCtrlEvents::PopupMenu>("PopupMenu", kelto3d::kDispidEventPopupMenu).Names("MouseX, MouseY, Items"),
    kelto::com::Method<&IFViewCtrlEvents::ViewChanged>("ViewChanged", kelto3d::kDispidEventViewChanged));
// clang-format on

namespace kelto3d {

// The event interface's description: the table above under the public
// interface's name and IID.
inline constexpr kelto::com::InterfaceDescription kViewCtrlEventsDescription{
    "_IPipeline3DViewCtrlEvents", kelto::com::IidOf<_IPipeline3DViewCtrlEvents>(),
    std::span<const kelto::com::DispatchEntry>(kelto::com::DispatchMap<IFViewCtrlEvents>::entries),
    false};

}  // namespace kelto3d
