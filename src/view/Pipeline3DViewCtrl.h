// CPipeline3DViewCtrl: the scripting class Pipeline3DViewCtrl, the view a
// host embeds. It owns one model tree (Root, no object of its own; the
// files' models are its children), the solid and the symbolic builder, the
// OpenGL surface and renderer, the mouse handler (C3DDisplay) and the
// selection (SelectedItems), and turns what the user does into the events of
// _IPipeline3DViewCtrlEvents.
//
// Keys. An outside object is found in the tree by its identity (the IUnknown
// QueryInterface gives), except by Update, which looks for the pointer it is
// given as it is: so Update finds an object only through its identity
// pointer, and then refreshes it through that identity.
//
// Lifecycle:
//  - construction makes everything except OpenGL; the renderer draws nothing
//    and the camera methods only change the stored view until a window
//    exists;
//  - activation (IOleObject::DoVerb in place, or the windowless Activate)
//    makes the surface on the host's window or off-screen, initialises the
//    renderer on Root and attaches the display;
//  - deactivation (InPlaceDeactivate, Close, or the window going away)
//    detaches the display, lets the renderer free its lists and destroys the
//    context, in that order; the stored view survives for the next
//    activation;
//  - releasing the last reference deactivates first, so a host may release
//    the control with its window still up.
//
// Selection bookkeeping. SelectedItems holds the outside objects of the
// selected nodes (IDispatch, once each). Each selected node carries a
// SelectedNodeData under the control's key; a node that leaves Root's tree,
// itself or with an ancestor, leaves SelectedItems without an event.
//
// Events go to every connected sink in connection order, synchronously.
#pragma once

#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "com/ModuleLock.h"
#include "core/AssociationKey.h"
#include "core/ModelNode.h"
#include "core/Signals.h"
#include "kelto3d/View.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "platform/com/OleInterfaces.h"
#include "render/GLRenderer.h"
#include "solid/SolidModelBuilder.h"
#include "symbolic/SymbolicModelBuilder.h"
#include "view/PipeItems.h"
#include "view/ViewVisibility.h"
#include "view/ViewWindow.h"
#include "view/export/BitmapOutputCache.h"

class CPipeline3DViewCtrl
    : public kelto3d::ComObject<
          CPipeline3DViewCtrl, kelto::com::Dual<kelto3d::IPipeline3DViewCtrl>,
          kelto::com::ConnectionPointContainer, IOleObject, IOleInPlaceObject, IOleX11Control,
          kelto3d::IPipeline3DViewWindowless, kelto3d::IPipeline3DViewVisibility,
          kelto::com::SupportErrorInfo<kelto3d::IPipeline3DViewCtrl>>,
      public sigslot::has_slots<sigslot::multi_threaded_local> {
 public:
  class RootNodeData;
  class SelectedNodeData;
  class ToggledOffNodeData;

  CPipeline3DViewCtrl();
  CPipeline3DViewCtrl(const CPipeline3DViewCtrl&) = delete;
  CPipeline3DViewCtrl& operator=(const CPipeline3DViewCtrl&) = delete;
  // Deactivates first: a host may release the control with its window up.
  ~CPipeline3DViewCtrl() override;

  // IPipeline3DViewCtrl
  HRESULT put_BorderStyle(LONG newVal) override;
  HRESULT get_BorderStyle(LONG* pVal) override;
  HRESULT put_Enabled(VARIANT_BOOL newVal) override;
  HRESULT get_Enabled(VARIANT_BOOL* pVal) override;
  HRESULT put_Appearance(SHORT newVal) override;
  HRESULT get_Appearance(SHORT* pVal) override;
  HRESULT get_Model(kelto3d::IModelNode** pVal) override;
  HRESULT get_GraphicsOptions(kelto3d::IOptions** pVal) override;
  HRESULT put_GraphicsOptions(kelto3d::IOptions* newVal) override;
  HRESULT get_SelectedItems(kelto3d::IPipeItems** pVal) override;
  HRESULT get_SymbolicModelBuilder(kelto3d::ISymbolicModelBuilder** pVal) override;
  HRESULT get_SolidModelBuilder(kelto3d::ISolidModelBuilder** pVal) override;
  HRESULT AddKeltoFile(IKeltoFile* KeltoFile, kelto3d::RepresentationType Representation) override;
  HRESULT RemoveKeltoFile(IKeltoFile* KeltoFile) override;
  HRESULT AddModel(kelto3d::IModelNode* Model) override;
  HRESULT RemoveModel(IUnknown* Key) override;
  HRESULT Update(IDispatch* Object, kelto3d::RepresentationType Representation) override;
  HRESULT UpdateAll(kelto3d::RepresentationType Representation) override;
  HRESULT Select(IDispatch* Object) override;
  HRESULT Unselect(IDispatch* Object) override;
  HRESULT OptionsDialog() override;
  HRESULT SaveSettingsToRegistry(LONG Parent, BSTR Key) override;
  HRESULT LoadSettingsFromRegistry(LONG Parent, BSTR Key) override;
  HRESULT SetViewDir(double ViewX, double ViewY, double ViewZ, double UpX, double UpY,
                     double UpZ) override;
  HRESULT FitViewToSelection() override;
  HRESULT FitView() override;
  HRESULT CentreViewOnSelection() override;
  HRESULT SetStandardViewDir(kelto3d::StandardViewDir Direction) override;
  HRESULT DrawToDC(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height, LONG BGCol,
                   double AxesScale, LONG BitmapXRes, LONG BitmapYRes,
                   VARIANT_BOOL Cache) override;
  HRESULT CopyViewSettings(IDispatch* Source) override;
  HRESULT get_MouseDragActions(kelto3d::IDragActionTable** pVal) override;
  HRESULT get_MouseClickActions(kelto3d::IPickActionTable** pVal) override;
  HRESULT get_MouseDoubleClickActions(kelto3d::IPickActionTable** pVal) override;
  HRESULT get_MouseWheelActions(kelto3d::IWheelActionTable** pVal) override;
  HRESULT UnselectAll() override;
  HRESULT get_AutoFit(VARIANT_BOOL* pVal) override;
  HRESULT put_AutoFit(VARIANT_BOOL newVal) override;

  // IOleObject (Pipeline3DViewCtrlEmbedding.cpp)
  HRESULT SetClientSite(IOleClientSite* pClientSite) override;
  HRESULT GetClientSite(IOleClientSite** ppClientSite) override;
  HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT Close(DWORD dwSaveOption) override;
  HRESULT SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT DoVerb(LONG iVerb, MSG* lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                 HWND hwndParent, LPCRECT lprcPosRect) override;
  HRESULT EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
  HRESULT Update() override { return S_OK; }
  HRESULT IsUpToDate() override { return S_OK; }
  HRESULT GetUserClassID(CLSID* pClsid) override;
  HRESULT GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  HRESULT GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  HRESULT Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
  HRESULT SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  HRESULT GetWindow(HWND* phwnd) override;
  HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT InPlaceDeactivate() override;
  HRESULT UIDeactivate() override { return S_OK; }
  HRESULT SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
  HRESULT ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleX11Control
  HRESULT GetConnectionNumber(INT* pFd) override;
  HRESULT DispatchPending() override;

  // IPipeline3DViewWindowless
  HRESULT ActivateWindowless(LONG Width, LONG Height) override;
  HRESULT OnWindowMessage(const kelto3d::WindowMessageRecord* Message) override;
  HRESULT Draw(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height) override;
  HRESULT GetNeedsPaint(VARIANT_BOOL* pVal) override;

  // IPipeline3DViewVisibility (Pipeline3DViewCtrlVisibility.cpp)
  HRESULT SetVisible(IUnknown* Object, VARIANT_BOOL Visible) override;
  HRESULT SetVisibleMany(LONG Count, IUnknown* const* Objects, VARIANT_BOOL Visible) override;
  HRESULT GetVisible(IUnknown* Object, VARIANT_BOOL* pVal) override;
  HRESULT ShowAll() override;
  HRESULT IsolateSelection() override;
  HRESULT GetHiddenCount(LONG* pVal) override;

  // Inspection, for the embedding and for tests.
  CModelNode& GetRoot() { return m_root; }
  CGLRenderer& GetRenderer() { return m_renderer; }
  CViewWindow& GetViewWindow() { return *m_window; }
  const AssociationKey& GetKey() const { return m_key; }
  CPipeItems& GetSelectedItems() { return *m_selected; }
  // The builders AddKeltoFile uses, for a host in this process that
  // configures them beyond the scripting members (kelto3d render).
  CSolidModelBuilder& GetSolidBuilder() { return m_solidBuilder; }
  CSymbolicModelBuilder& GetSymbolicBuilder() { return m_symbolicBuilder; }
  // Told how DrawToDC's display-list build goes (a long one for a large
  // plant); empty to stop.
  void SetExportProgress(CGLRenderer::BuildProgressCallback callback) {
    m_exportProgress = std::move(callback);
  }
  bool IsActive() const;

  // This class behind any interface of a view control of this module, or
  // null (asked through a private IID, so other implementations are refused
  // rather than misread).
  static CPipeline3DViewCtrl* Implementation(IUnknown* object);
  bool QueryOther(REFIID riid, void** ppv);

  // Handlers of the display's signals (Pipeline3DViewCtrlSelection.cpp).
  void OnSelectionChanged(CModelNode* unselected, CModelNode* selected);
  void OnFilesDropped(std::set<std::string> names);
  void OnPopupMenu(int x, int y, std::list<CModelNode*> nodes);
  void OnViewChanged();

 private:
  friend class RootNodeData;
  friend class SelectedNodeData;
  friend class ToggledOffNodeData;
  friend class CViewWindow;

  template <class F>
  HRESULT Guarded(F&& body) {
    return kelto::com::Guard(kelto3d::kClsidPipeline3DViewCtrl,
                             kelto::com::IidOf<kelto3d::IPipeline3DViewCtrl>(),
                             std::forward<F>(body));
  }

  IFModelBuilder& BuilderFor(kelto3d::RepresentationType representation);
  // AutoFit's step after a change to the tree.
  void AutoFitView();
  // ViewChanged when changed, then a redraw.
  void AfterCameraCall(bool changed);
  void FireViewChanged();
  void FireSelectionChanged(IDispatch* unselected, IDispatch* selected);
  // Snapshot and clean-up of the selection around a refresh (Update).
  std::vector<kelto::com::ComPtr<IUnknown>> SelectedBelow(CModelNode* node);
  void DropVanishedSelection(const std::vector<kelto::com::ComPtr<IUnknown>>& before,
                             const std::vector<kelto::com::ComPtr<IUnknown>>& after);

  // Selection bookkeeping (Pipeline3DViewCtrlSelection.cpp).
  void AddSelectedMark(CModelNode* node);
  void RemoveSelectedMark(CModelNode* node);
  // Drops the marks of nodes no longer in Root's tree.
  void CheckSelectedMarks();
  CBoundBox SelectionBoundBox();
  CModelNode* FindNode(IUnknown* object);
  // The renderer's highlight for every node in the bookkeeping (after a
  // new activation, or an options change that rebuilt every list: the
  // renderer then has no selection state left).
  void ReapplySelection();
  void OnRendererOptionsChanged(COptions::Names names);
  // The highlight as the screen shows it, on any renderer of Root (the
  // view's own, the export's): the bookkeeping's nodes, less the parts the
  // user toggled off inside them.
  void ShowSelectionOn(IFRenderer& target);
  // Notes the parts of selected subtrees the view's renderer shows
  // unhighlighted (toggled off by the user), after a selection change.
  void RememberToggledOff();
  // The site's in-place side, when it has one.
  kelto::com::ComPtr<IOleInPlaceSite> InPlaceSite() const;
  void ActivateInPlace(HWND parent, LPCRECT rect);

  // Deactivation in the documented order (display, renderer, surface).
  void DestroyView();

  // Members in order of construction.
  std::set<SelectedNodeData*> m_marks;  // outlives Root: node data unregister here
  // Likewise for the parts toggled off inside the selection.
  std::set<ToggledOffNodeData*> m_toggledOff;
  CViewVisibility m_visibility;         // outlives Root likewise
  CSolidModelBuilder m_solidBuilder;
  CSymbolicModelBuilder m_symbolicBuilder;
  CModelNode m_root;
  CGLRenderer m_renderer;
  std::unique_ptr<CViewWindow> m_window;  // surface, display and the window's state
  // DrawToDC's off-screen renderer, while a host keeps it (before Root goes).
  cptr::counted_ptr<CBitmapOutputCache> m_outputCache;
  CGLRenderer::BuildProgressCallback m_exportProgress;
  kelto::com::ComPtr<CPipeItems> m_selected;
  bool m_autoFit = true;
  LONG m_borderStyle = 0;
  SHORT m_appearance = 1;
  VARIANT_BOOL m_enabled = VARIANT_TRUE;
  AssociationKey m_key;
  kelto::com::ComPtr<IOleClientSite> m_site;
  SIZEL m_extent{5000, 5000};  // HIMETRIC, as containers size controls
};
