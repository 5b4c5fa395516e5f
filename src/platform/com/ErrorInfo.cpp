#include "platform/com/ErrorInfo.h"

#include <new>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"

namespace kelto::com {

namespace {

// One slot per thread. The reference it holds is released when the thread
// ends, like any other thread_local object.
ComPtr<IErrorInfo>& Slot() {
  thread_local ComPtr<IErrorInfo> slot;
  return slot;
}

HRESULT ReadString(const std::u16string& s, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (s.empty()) return S_OK;
  *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT WriteString(std::u16string& s, LPOLESTR text) {
  try {
    s.assign(OleView(text));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

HRESULT ErrorInfo::GetGUID(GUID* pGUID) {
  if (!pGUID) return E_POINTER;
  *pGUID = guid_;
  return S_OK;
}
HRESULT ErrorInfo::GetSource(BSTR* p) { return ReadString(source_, p); }
HRESULT ErrorInfo::GetDescription(BSTR* p) { return ReadString(description_, p); }
HRESULT ErrorInfo::GetHelpFile(BSTR* p) { return ReadString(helpFile_, p); }
HRESULT ErrorInfo::GetHelpContext(DWORD* p) {
  if (!p) return E_POINTER;
  *p = helpContext_;
  return S_OK;
}

HRESULT ErrorInfo::SetGUID(REFGUID rguid) {
  guid_ = rguid;
  return S_OK;
}
HRESULT ErrorInfo::SetSource(LPOLESTR s) { return WriteString(source_, s); }
HRESULT ErrorInfo::SetDescription(LPOLESTR s) { return WriteString(description_, s); }
HRESULT ErrorInfo::SetHelpFile(LPOLESTR s) { return WriteString(helpFile_, s); }
HRESULT ErrorInfo::SetHelpContext(DWORD c) {
  helpContext_ = c;
  return S_OK;
}

void SetError(const CLSID& source, const IID& iid, std::string_view utf8Message) noexcept {
  try {
    auto info = MakeObject<ErrorInfo>();
    std::u16string text = Utf8ToUtf16(utf8Message);
    std::u16string src = FormatGuid16(source);
    info->SetGUID(iid);
    info->SetSource(src.data());
    info->SetDescription(text.data());
    Slot() = ComPtr<IErrorInfo>(info.Get());
  } catch (...) {
    // Out of memory while recording: better no information than a stale one.
    Slot().Reset();
  }
}

void ClearError() noexcept { Slot().Reset(); }

}  // namespace kelto::com

using kelto::com::ComPtr;

KELTO_API HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  *pperrinfo = nullptr;
  try {
    auto info = kelto::com::MakeObject<kelto::com::ErrorInfo>();
    *pperrinfo = info.Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

KELTO_API HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
  if (dwReserved != 0) return E_INVALIDARG;
  kelto::com::Slot() = ComPtr<IErrorInfo>(perrinfo);
  return S_OK;
}

KELTO_API HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
  if (dwReserved != 0 || !pperrinfo) return E_INVALIDARG;
  // Handing the information over empties the slot: a second call (or a
  // caller further up) must not see an error that has already been reported.
  *pperrinfo = kelto::com::Slot().Detach();
  return *pperrinfo ? S_OK : S_FALSE;
}
