// The view control and its pipe-item collection, as a host compiles against
// them.
//
//   Pipeline3DViewCtrl  CLSID 50F41F64-9919-44F3-B147-E9CB24C6EBD6
//                       ("Oxbay3Support.Pipeline3DViewCtrl")
//   PipeItems           CLSID 375DB1C4-2F2D-4A5E-AFD4-93B8E44A89D6
//                       ("Oxbay3Support.PipeItems")
//
// The control shows piping files and model trees in a window of the host and
// reports what the user does there through _IPipeline3DViewCtrlEvents
// (IConnectionPointContainer). Besides IPipeline3DViewCtrl it implements the
// container protocol of an embedded control (IOleObject, IOleInPlaceObject;
// docs/embedding.md) and IPipeline3DViewEmbedding, the Linux extension: the
// display connection to pump, and the windowless entry points (message
// records in, painting into a device context).
#pragma once

#include "kelto/Piping.h"
#include "kelto3d/ActionTables.h"
#include "kelto3d/ModelBuilders.h"
#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Enumeration.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"
#include "platform/com/OleInterfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidPipeline3DViewCtrl =
    kelto::com::MakeGuid("50F41F64-9919-44F3-B147-E9CB24C6EBD6");
inline constexpr CLSID kClsidPipeItems = kelto::com::MakeGuid("375DB1C4-2F2D-4A5E-AFD4-93B8E44A89D6");

// Which builder AddKeltoFile, Update and UpdateAll use; any value other than
// rtSymbolic means the solid builder. (X(name, value) lists, as in
// ActionTables.h.)
#define KELTO3D_REPRESENTATION_TYPES(X) X(rtSolid, 0) X(rtSymbolic, 1)
enum RepresentationType : LONG { KELTO3D_REPRESENTATION_TYPES(KELTO_ENUMERATOR) };

// Directions of sight for SetStandardViewDir (up is z, or north when looking
// down or up); values outside 0…9 do nothing.
// clang-format off
#define KELTO3D_STANDARD_VIEW_DIRS(X)                                                       \
  X(svdNorthTopLeft, 0) X(svdNorthTopRight, 1) X(svdNorthBottomLeft, 2)                     \
  X(svdNorthBottomRight, 3) X(svdLookDown, 4) X(svdLookUp, 5) X(svdLookEast, 6)             \
  X(svdLookWest, 7) X(svdLookNorth, 8) X(svdLookSouth, 9)
// clang-format on
enum StandardViewDir : LONG { KELTO3D_STANDARD_VIEW_DIRS(KELTO_ENUMERATOR) };

// Dispatch ids of IPipeItems.
inline constexpr DISPID kDispidPipeItemsItem = 0;
inline constexpr DISPID kDispidPipeItemsNewEnum = -4;
inline constexpr DISPID kDispidPipeItemsCount = 0x60020000;

// Dispatch ids of the events.
inline constexpr DISPID kDispidEventSelectionChanged = 1;
inline constexpr DISPID kDispidEventDropFile = 2;
inline constexpr DISPID kDispidEventPopupMenu = 3;
inline constexpr DISPID kDispidEventViewChanged = 4;

// An ordered list of objects (the outside objects of model nodes).
struct IPipeItems : IDispatch {
  virtual HRESULT get_Count(LONG* pVal) = 0;
  // 1-based: E_INVALIDARG below 1, E_FAIL past Count, E_POINTER for a null
  // out-pointer.
  virtual HRESULT get_Item(LONG n, IDispatch** pVal) = 0;
  // IEnumVARIANT over the entries (VT_DISPATCH), a snapshot.
  virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
};

// The events, sent through IDispatch::Invoke with the dispids above:
//   SelectionChanged(IDispatch* UnselectedObject, IDispatch* SelectedObject)
//   DropFile(BSTR FileName)
//   PopupMenu(LONG MouseX, LONG MouseY, IPipeItems* Items)   MouseY from the bottom
//   ViewChanged()
struct _IPipeline3DViewCtrlEvents : IDispatch {};

// A window message handed to a windowless control (IPipeline3DViewWindowless),
// with the meaning a window procedure gives it. Positions are pixels of the
// view with y counted downwards from the top; for the wheel too (a windowless
// host has no screen of its own to report). Keys holds the MouseKeys bits of
// the buttons and modifiers held: including the pressed button for a press,
// no longer including the released one for a release.
enum WindowMessageKind : LONG {
  wmkButtonDown = 0,
  wmkButtonUp = 1,
  wmkButtonDoubleClick = 2,  // the second press of a double click, instead of its ButtonDown
  wmkMouseMove = 3,
  wmkMouseWheel = 4,  // WheelDelta: signed, 120 per notch, positive away from the user
  wmkCaptureLost = 5,
  wmkPaint = 6,
  wmkSize = 7,  // Width, Height
  wmkEraseBackground = 8,
  wmkDropFiles = 9,  // FileCount names in Files (UTF-8)
};
enum WindowMessageButton : LONG { wmbLeft = 0, wmbRight = 1, wmbMiddle = 2, wmbX1 = 3, wmbX2 = 4 };

struct WindowMessageRecord {
  LONG Kind;    // WindowMessageKind
  LONG Button;  // WindowMessageButton, for the button messages
  LONG X;
  LONG Y;
  ULONG Keys;
  LONG WheelDelta;
  LONG Width;
  LONG Height;
  ULONG FileCount;
  const char* const* Files;
};

// The windowless face of the control, for hosts with no X11 window to give
// (a Wayland-native toolkit, a test): the host activates it at a size, hands
// it the input its toolkit delivers, and has it paint into a device context.
// The view renders off-screen; nothing needs a display.
struct IPipeline3DViewWindowless : IUnknown {
  // Activates the control without a window, at Width x Height pixels (the
  // host resizes later with a wmkSize message). Fails with E_UNEXPECTED when
  // the control is already active in a window.
  virtual HRESULT ActivateWindowless(LONG Width, LONG Height) = 0;
  // Runs one message through the control as its window would.
  // OLE_E_NOT_INPLACEACTIVE before ActivateWindowless.
  virtual HRESULT OnWindowMessage(const WindowMessageRecord* Message) = 0;
  // Draws the current view and stretches it into the rectangle of the device
  // context hDC (a handle of the device-context table).
  virtual HRESULT Draw(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height) = 0;
  // Whether the view has changed since the last Draw (the host's cue to
  // draw again).
  virtual HRESULT GetNeedsPaint(VARIANT_BOOL* pVal) = 0;
};

// Hiding parts of the model (found by QueryInterface on the control). A
// hidden node is not drawn, picked or fitted, nor is anything below it; it
// stays in the model with its display lists, so showing it again redraws at
// once. Objects are found by identity, as Select finds them.
struct IPipeline3DViewVisibility : IUnknown {
  // Hides or shows the object's node (and so its subtree). S_FALSE when the
  // object is not in the view.
  virtual HRESULT SetVisible(IUnknown* Object, VARIANT_BOOL Visible) = 0;
  // SetVisible for Count objects at once (a component type, a selection):
  // the view redraws once. Objects not in the view are passed over.
  virtual HRESULT SetVisibleMany(LONG Count, IUnknown* const* Objects, VARIANT_BOOL Visible) = 0;
  // VARIANT_FALSE when the node or one of its ancestors is hidden; S_FALSE
  // (and VARIANT_FALSE) when the object is not in the view.
  virtual HRESULT GetVisible(IUnknown* Object, VARIANT_BOOL* pVal) = 0;
  // Shows every hidden node.
  virtual HRESULT ShowAll() = 0;
  // Hides everything but the selected objects (SelectedItems), their
  // subtrees and the nodes above them; nothing when nothing is selected.
  virtual HRESULT IsolateSelection() = 0;
  // How many nodes are hidden with everything below them.
  virtual HRESULT GetHiddenCount(LONG* pVal) = 0;
};

struct IPipeline3DViewCtrl : IDispatch {
  // Stock properties.
  virtual HRESULT put_BorderStyle(LONG newVal) = 0;
  virtual HRESULT get_BorderStyle(LONG* pVal) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL newVal) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* pVal) = 0;
  virtual HRESULT put_Appearance(SHORT newVal) = 0;
  virtual HRESULT get_Appearance(SHORT* pVal) = 0;
  // The root of everything shown (its children are the files' models).
  virtual HRESULT get_Model(IModelNode** pVal) = 0;
  // The renderer's settings; putting an Options object binds it to them.
  virtual HRESULT get_GraphicsOptions(IOptions** pVal) = 0;
  virtual HRESULT put_GraphicsOptions(IOptions* newVal) = 0;
  virtual HRESULT get_SelectedItems(IPipeItems** pVal) = 0;
  virtual HRESULT get_SymbolicModelBuilder(ISymbolicModelBuilder** pVal) = 0;
  virtual HRESULT get_SolidModelBuilder(ISolidModelBuilder** pVal) = 0;
  // Builds and shows a file once (a file already shown is ignored).
  virtual HRESULT AddKeltoFile(IKeltoFile* KeltoFile, RepresentationType Representation) = 0;
  virtual HRESULT RemoveKeltoFile(IKeltoFile* KeltoFile) = 0;
  // Shows a model a script built ("Bad child node.", "Unable to add child
  // node [Non-owned root]").
  virtual HRESULT AddModel(IModelNode* Model) = 0;
  // Takes the model of Key out; a script holding its ModelNode keeps it.
  virtual HRESULT RemoveModel(IUnknown* Key) = 0;
  virtual HRESULT Update(IDispatch* Object, RepresentationType Representation) = 0;
  virtual HRESULT UpdateAll(RepresentationType Representation) = 0;
  virtual HRESULT Select(IDispatch* Object) = 0;
  virtual HRESULT Unselect(IDispatch* Object) = 0;
  virtual HRESULT OptionsDialog() = 0;
  virtual HRESULT SaveSettingsToRegistry(LONG Parent, BSTR Key) = 0;
  virtual HRESULT LoadSettingsFromRegistry(LONG Parent, BSTR Key) = 0;
  virtual HRESULT SetViewDir(double ViewX, double ViewY, double ViewZ, double UpX, double UpY,
                             double UpZ) = 0;
  virtual HRESULT FitViewToSelection() = 0;
  virtual HRESULT FitView() = 0;
  virtual HRESULT CentreViewOnSelection() = 0;
  virtual HRESULT SetStandardViewDir(StandardViewDir Direction) = 0;
  // hDC: a device-context handle (docs/embedding.md).
  virtual HRESULT DrawToDC(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height, LONG BGCol,
                           double AxesScale, LONG BitmapXRes, LONG BitmapYRes,
                           VARIANT_BOOL Cache) = 0;
  // "Unable to Copy View Settings." unless Source is a view control.
  virtual HRESULT CopyViewSettings(IDispatch* Source) = 0;
  // The live mouse tables (DragActionTable, PickActionTable twice,
  // WheelActionTable); the same object while the host holds it.
  virtual HRESULT get_MouseDragActions(IDragActionTable** pVal) = 0;
  virtual HRESULT get_MouseClickActions(IPickActionTable** pVal) = 0;
  virtual HRESULT get_MouseDoubleClickActions(IPickActionTable** pVal) = 0;
  virtual HRESULT get_MouseWheelActions(IWheelActionTable** pVal) = 0;
  virtual HRESULT UnselectAll() = 0;
  virtual HRESULT get_AutoFit(VARIANT_BOOL* pVal) = 0;
  virtual HRESULT put_AutoFit(VARIANT_BOOL newVal) = 0;
};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::IPipeItems, IDispatch, "BCC547B4-6C5A-445C-BC78-B054111198A4");
KELTO_INTERFACE_IID(kelto3d::_IPipeline3DViewCtrlEvents, IDispatch,
                    "0D7EEE91-CDFC-4A8C-812B-1457EF545AED");
KELTO_INTERFACE_IID(kelto3d::IPipeline3DViewCtrl, IDispatch,
                    "CDD6546B-F5FF-4235-8F2B-310CFBFB3356");
KELTO_INTERFACE_IID(kelto3d::IPipeline3DViewWindowless, IUnknown,
                    "9E3B5C21-7A44-4F0D-8B6E-2C1D9F7A5E83");
KELTO_INTERFACE_IID(kelto3d::IPipeline3DViewVisibility, IUnknown,
                    "6A0F2D4E-3B1C-4E7A-9D52-8C4B1E0F7A36");

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::IPipeItems,
    kelto::com::PropGet<&kelto3d::IPipeItems::get_Count>("Count", kelto3d::kDispidPipeItemsCount),
    kelto::com::PropGet<&kelto3d::IPipeItems::get_Item>("Item", kelto3d::kDispidPipeItemsItem).Names("n"),
    kelto::com::PropGet<&kelto3d::IPipeItems::get__NewEnum>("_NewEnum", kelto3d::kDispidPipeItemsNewEnum));

KELTO_DISPATCH_MAP(kelto3d::IPipeline3DViewCtrl,
    kelto::com::PropPut<&kelto3d::IPipeline3DViewCtrl::put_BorderStyle>("BorderStyle", -504),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_BorderStyle>("BorderStyle", -504),
    kelto::com::PropPut<&kelto3d::IPipeline3DViewCtrl::put_Enabled>("Enabled", -514),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_Enabled>("Enabled", -514),
    kelto::com::PropPut<&kelto3d::IPipeline3DViewCtrl::put_Appearance>("Appearance", -520).ParamType(0, VT_I2),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_Appearance>("Appearance", -520).ParamType(0, VT_I2),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_Model>("Model", 7),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_GraphicsOptions>("GraphicsOptions", 8),
    kelto::com::PropPut<&kelto3d::IPipeline3DViewCtrl::put_GraphicsOptions>("GraphicsOptions", 8),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_SelectedItems>("SelectedItems", 13),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_SymbolicModelBuilder>("SymbolicModelBuilder", 20),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_SolidModelBuilder>("SolidModelBuilder", 21),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::AddKeltoFile>("AddKeltoFile", 1, {kelto3d::rtSolid}).Names("KeltoFile, Representation"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::RemoveKeltoFile>("RemoveKeltoFile", 2).Names("KeltoFile"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::AddModel>("AddModel", 25).Names("Model"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::RemoveModel>("RemoveModel", 26).Names("Key"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::Update>("Update", 3, {kelto3d::rtSolid}).Names("Object, Representation"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::UpdateAll>("UpdateAll", 4, {kelto3d::rtSolid}).Names("Representation"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::Select>("Select", 5).Names("Object"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::Unselect>("Unselect", 6).Names("Object"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::OptionsDialog>("OptionsDialog", 9),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::SaveSettingsToRegistry>("SaveSettingsToRegistry", 10).Names("Parent, Key"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::LoadSettingsFromRegistry>("LoadSettingsFromRegistry", 11).Names("Parent, Key"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::SetViewDir>("SetViewDir", 12).Names("ViewX, ViewY, ViewZ, UpX, UpY, UpZ"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::FitViewToSelection>("FitViewToSelection", 14),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::FitView>("FitView", 15),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::CentreViewOnSelection>("CentreViewOnSelection", 16),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::SetStandardViewDir>("SetStandardViewDir", 17).Names("Direction"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::DrawToDC>("DrawToDC", 19)
        .Names("hDC, Left, Top, Width, Height, BGCol, AxesScale, BitmapXRes, BitmapYRes, Cache"),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::CopyViewSettings>("CopyViewSettings", 27).Names("Source"),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_MouseDragActions>("MouseDragActions", 28),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_MouseClickActions>("MouseClickActions", 29),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_MouseDoubleClickActions>("MouseDoubleClickActions", 30),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_MouseWheelActions>("MouseWheelActions", 31),
    kelto::com::Method<&kelto3d::IPipeline3DViewCtrl::UnselectAll>("UnselectAll", 32),
    kelto::com::PropGet<&kelto3d::IPipeline3DViewCtrl::get_AutoFit>("AutoFit", 33),
    kelto::com::PropPut<&kelto3d::IPipeline3DViewCtrl::put_AutoFit>("AutoFit", 33));
// clang-format on
