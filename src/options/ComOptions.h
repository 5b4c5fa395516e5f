// CComOptions: the scripting class Options (IOptions), the face of one
// COptions registry, with the standard persistence protocols over it.
//
// Two ways to get one:
//  - the host creates it: it makes an empty registry of its own on first use
//    (CDPOwner, create on demand) and owns it;
//  - a component hands out the face of its own registry with ForRegistry:
//    attached, not owned. When the component (and so the registry) goes
//    first, the object lets go and, on its next use, behaves as if the host
//    had created it.
//
// A component that hands out the object before its registry exists creates
// it with MakeObject, turns create-on-demand off and attaches the registry
// later (Attach). Contents loaded in between are kept as pending and applied
// on attachment.
//
// Dirty state (IsDirty): loading clears it, saving clears it, and every
// change notice of the attached registry sets it. On attachment without
// pending contents it takes the registry's own modified flag.
//
// Unknown names in loaded contents are skipped; a property bag that lacks
// some ".Name" / ".Value" keys announced by "Length" loads the pairs it has.
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "core/Signals.h"
#include "kelto3d/Options.h"
#include "options/Options.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

struct OptionsClass {
  static constexpr CLSID clsid = kelto3d::kClsidOptions;
};

class CComOptions
    : public kelto3d::ComObject<CComOptions, kelto::com::Dual<kelto3d::IOptions>,
                                IPersistStreamInit, IPersistStorage, IPersistPropertyBag,
                                kelto::com::ConnectionPointContainer,
                                kelto::com::SupportErrorInfo<kelto3d::IOptions, IPersistStreamInit,
                                                             IPersistStorage, IPersistPropertyBag>>,
      public CComWrapper<COptions, CComOptions, OptionsClass, kelto3d::IOptions, COptions*,
                         CDPOwner<COptions>>,
      public sigslot::has_slots<> {
 public:
  CComOptions();
  CComOptions(const CComOptions&) = delete;
  CComOptions& operator=(const CComOptions&) = delete;

  // The Options object of a component's registry: the one it already has,
  // or a new one attached to it (not owning). Never null.
  static kelto::com::ComPtr<CComOptions> ForRegistry(COptions& registry);

  // CWrapper: attaching applies pending contents (see the file comment) and
  // follows the registry's change notices; detaching stops following them.
  void Attach(CWrappedClass* object) override;
  void Detach() override;

  // IOptions
  HRESULT get_Item(BSTR Name, VARIANT* pVal) override;
  HRESULT put_Item(BSTR Name, VARIANT newVal) override;
  HRESULT TestGetContents(VARIANT* pVal) override;
  HRESULT TestSetContents(VARIANT newVal) override;

  // IPersist
  HRESULT GetClassID(CLSID* pClassID) override;
  // IPersistStreamInit and IPersistStorage: S_OK when dirty, else S_FALSE.
  HRESULT IsDirty() override;
  // IPersistStreamInit and IPersistPropertyBag: nothing to initialise.
  HRESULT InitNew() override;

  // IPersistStreamInit
  HRESULT Load(IStream* pStm) override;
  // Clears the dirty state only when fClearDirty says so (a host saving a
  // copy keeps it).
  HRESULT Save(IStream* pStm, BOOL fClearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) override;

  // IPersistStorage
  HRESULT InitNew(IStorage* pStg) override;
  HRESULT Load(IStorage* pStg) override;
  HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
  HRESULT SaveCompleted(IStorage* pStgNew) override;
  HRESULT HandsOffStorage() override;

  // IPersistPropertyBag: a save always clears the dirty state.
  HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
  HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

  // Whether loaded contents wait for a registry.
  bool HasPendingContents() const { return m_pending.vt != VT_EMPTY; }

 private:
  // The registry (made on demand unless that is off), followed; null when
  // there is none.
  COptions* Registry();
  // As Registry, but a missing registry is an error.
  COptions& RequireRegistry();
  void Follow(COptions* registry);
  void OnOptionsChanged(COptions::Names names);
  // What a save writes: the registry's contents, or the pending contents
  // while no registry is attached (a save must not lose what was loaded).
  _variant_t ContentsToSave();
  void MarkSaved();
  // Stores loaded contents as pending and applies them when there is a
  // registry. Anything but a contents array fails with E_INVALIDARG.
  void ApplyLoaded(VARIANT& contents);
  void ApplyPending(COptions& registry);

  bool m_dirty = false;
  _variant_t m_pending;
  COptions* m_followed = nullptr;
};
