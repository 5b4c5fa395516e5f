#include "options/ComOptions.h"

#include <string>
#include <utility>

#include "core/WrapperFace.h"
#include "options/OptionsPersistence.h"
#include "options/VariantStream.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Strings.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;
using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;

namespace {

template <class I, class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidOptions, IidOf<I>(), std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

void CheckArgument(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null argument.");
}

}  // namespace

CComOptions::CComOptions() { AddConnectionPoint(IidOf<kelto3d::_IOptionsEvents>()); }

ComPtr<CComOptions> CComOptions::ForRegistry(COptions& registry) {
  return WrapperFace<CComOptions>(&registry);
}

void CComOptions::Attach(CWrappedClass* object) {
  if (object && static_cast<COptions*>(object) == PeekObject()) return;
  CComWrapper::Attach(object);
  COptions* registry = PeekObject();
  if (!registry) return;
  Follow(registry);
  if (HasPendingContents())
    ApplyPending(*registry);
  else
    m_dirty = registry->IsModified();
}

void CComOptions::Detach() {
  // Also called from the registry's destructor, after its signal is gone:
  // the signal has disconnected this receiver already, and disconnect_all
  // only visits signals that still exist.
  has_slots<>::disconnect_all();
  m_followed = nullptr;
  CComWrapper::Detach();
}

COptions* CComOptions::Registry() {
  COptions* registry = GetObject();
  if (registry && registry != m_followed) Follow(registry);
  return registry;
}

COptions& CComOptions::RequireRegistry() {
  COptions* registry = Registry();
  if (!registry) throw HResultError(E_UNEXPECTED, "No options registry is attached.");
  return *registry;
}

void CComOptions::Follow(COptions* registry) {
  has_slots<>::disconnect_all();
  registry->changedSignal.connect(this, &CComOptions::OnOptionsChanged);
  m_followed = registry;
}

void CComOptions::OnOptionsChanged(COptions::Names) { m_dirty = true; }

_variant_t CComOptions::ContentsToSave() {
  if (COptions* registry = Registry()) return registry->GetContents();
  if (HasPendingContents()) return m_pending;
  SAFEARRAY* empty = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  if (!empty) throw std::bad_alloc();
  return _variant_t::AdoptArray(empty, VT_VARIANT);
}

void CComOptions::MarkSaved() {
  if (COptions* registry = PeekObject()) registry->SetModified(false);
  m_dirty = false;
}

void CComOptions::ApplyLoaded(VARIANT& contents) {
  _variant_t loaded(contents, false);
  if (!kelto::options::ContentsArrayOf(loaded))
    throw HResultError(E_INVALIDARG, "The saved options are not an array of name/value pairs.");
  m_pending = std::move(loaded);
  if (COptions* registry = Registry()) ApplyPending(*registry);
}

void CComOptions::ApplyPending(COptions& registry) {
  registry.SetContents(m_pending);
  registry.SetModified(false);
  m_pending.Clear();
  m_dirty = false;
}

// --- IOptions ------------------------------------------------------------------------

HRESULT CComOptions::get_Item(BSTR Name, VARIANT* pVal) {
  return Guarded<kelto3d::IOptions>([&] {
    CheckResult(pVal);
    VariantInit(pVal);
    *pVal = RequireRegistry().Get(kelto::com::BstrToUtf8(Name)).Detach();
  });
}

HRESULT CComOptions::put_Item(BSTR Name, VARIANT newVal) {
  return Guarded<kelto3d::IOptions>(
      [&] { RequireRegistry().Set(kelto::com::BstrToUtf8(Name), newVal); });
}

HRESULT CComOptions::TestGetContents(VARIANT* pVal) {
  return Guarded<kelto3d::IOptions>([&] {
    CheckResult(pVal);
    VariantInit(pVal);
    *pVal = RequireRegistry().GetContents().Detach();
  });
}

HRESULT CComOptions::TestSetContents(VARIANT newVal) {
  return Guarded<kelto3d::IOptions>([&] { RequireRegistry().SetContents(newVal); });
}

// --- IPersist ------------------------------------------------------------------------

HRESULT CComOptions::GetClassID(CLSID* pClassID) {
  if (!pClassID) return E_POINTER;
  *pClassID = kelto3d::kClsidOptions;
  return S_OK;
}

HRESULT CComOptions::IsDirty() { return m_dirty ? S_OK : S_FALSE; }

HRESULT CComOptions::InitNew() { return S_OK; }

// --- IPersistStreamInit -----------------------------------------------------------------

HRESULT CComOptions::Load(IStream* pStm) {
  return Guarded<IPersistStreamInit>([&] {
    CheckArgument(pStm);
    _variant_t contents;
    ThrowIfFailed(kelto::options::ReadVariant(pStm, &contents));
    ApplyLoaded(contents);
  });
}

HRESULT CComOptions::Save(IStream* pStm, BOOL fClearDirty) {
  return Guarded<IPersistStreamInit>([&] {
    CheckArgument(pStm);
    ThrowIfFailed(kelto::options::WriteVariant(pStm, ContentsToSave()));
    if (fClearDirty) MarkSaved();
  });
}

HRESULT CComOptions::GetSizeMax(ULARGE_INTEGER* pcbSize) {
  return Guarded<IPersistStreamInit>([&] {
    CheckResult(pcbSize);
    // The exact size: the layout has no cheaper measure than writing it.
    ComPtr<IStream> scratch;
    ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, scratch.Put()));
    ThrowIfFailed(kelto::options::WriteVariant(scratch.Get(), ContentsToSave()));
    LARGE_INTEGER zero{};
    ThrowIfFailed(scratch->Seek(zero, STREAM_SEEK_CUR, pcbSize));
  });
}

// --- IPersistStorage --------------------------------------------------------------------

HRESULT CComOptions::InitNew(IStorage*) { return S_OK; }

HRESULT CComOptions::Load(IStorage* pStg) {
  return Guarded<IPersistStorage>([&] {
    CheckArgument(pStg);
    _variant_t contents;
    ThrowIfFailed(kelto::options::LoadContentsFromStorage(pStg, &contents));
    ApplyLoaded(contents);
  });
}

HRESULT CComOptions::Save(IStorage* pStgSave, BOOL) {
  return Guarded<IPersistStorage>([&] {
    CheckArgument(pStgSave);
    ThrowIfFailed(kelto::options::SaveContentsToStorage(pStgSave, ContentsToSave()));
    MarkSaved();
  });
}

HRESULT CComOptions::SaveCompleted(IStorage*) { return S_OK; }

HRESULT CComOptions::HandsOffStorage() { return S_OK; }

// --- IPersistPropertyBag ------------------------------------------------------------------

HRESULT CComOptions::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) {
  return Guarded<IPersistPropertyBag>([&] {
    CheckArgument(pPropBag);
    _variant_t contents;
    ThrowIfFailed(kelto::options::LoadContentsFromBag(pPropBag, pErrorLog, &contents));
    ApplyLoaded(contents);
  });
}

HRESULT CComOptions::Save(IPropertyBag* pPropBag, BOOL, BOOL) {
  return Guarded<IPersistPropertyBag>([&] {
    CheckArgument(pPropBag);
    ThrowIfFailed(kelto::options::SaveContentsToBag(pPropBag, ContentsToSave()));
    MarkSaved();
  });
}
