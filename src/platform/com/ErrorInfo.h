// Error information: the object behind CreateErrorInfo and the per-thread slot
// behind SetErrorInfo/GetErrorInfo (declared with C linkage in Api.h).
//
// Contract of the slot, as late-bound callers expect it:
//   - SetErrorInfo(0, p) replaces the thread's error information (adding a
//     reference to p); SetErrorInfo(0, nullptr) clears it.
//   - GetErrorInfo(0, &p) hands the information over and empties the slot:
//     S_OK with p set, or S_FALSE with p null when there is none.
//   - Each thread has its own slot; nothing is shared or locked.
//
// Inside the module, failures at a scripting boundary are recorded with
// SetError (usually through Guard in Boundary.h): the description is the
// message, the source is the failing class's CLSID in registry text form
// "{XXXXXXXX-...}", and the GUID is the IID of the interface whose member
// failed.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/Object.h"

namespace kelto::com {

// The error-information object: what ICreateErrorInfo sets, IErrorInfo
// reads back. Null strings read back as null BSTRs.
class ErrorInfo final : public Object<ErrorInfo, IErrorInfo, ICreateErrorInfo> {
 public:
  // IErrorInfo
  HRESULT GetGUID(GUID* pGUID) override;
  HRESULT GetSource(BSTR* pBstrSource) override;
  HRESULT GetDescription(BSTR* pBstrDescription) override;
  HRESULT GetHelpFile(BSTR* pBstrHelpFile) override;
  HRESULT GetHelpContext(DWORD* pdwHelpContext) override;

  // ICreateErrorInfo
  HRESULT SetGUID(REFGUID rguid) override;
  HRESULT SetSource(LPOLESTR szSource) override;
  HRESULT SetDescription(LPOLESTR szDescription) override;
  HRESULT SetHelpFile(LPOLESTR szHelpFile) override;
  HRESULT SetHelpContext(DWORD dwHelpContext) override;

 private:
  GUID guid_{};
  std::u16string source_;
  std::u16string description_;
  std::u16string helpFile_;
  DWORD helpContext_ = 0;
};

// Records utf8Message as the thread's error information, with the CLSID of
// the failing class as source text and the interface's IID as GUID. Never
// throws: if the information cannot be built the slot is simply cleared, so
// no stale description survives.
void SetError(const CLSID& source, const IID& iid, std::string_view utf8Message) noexcept;

// SetError, then returns hr, for `return ReportError(kClsid, iid, "...", E_INVALIDARG);`.
inline HRESULT ReportError(const CLSID& source, const IID& iid, std::string_view utf8Message,
                           HRESULT hr = E_FAIL) noexcept {
  SetError(source, iid, utf8Message);
  return hr;
}

// Clears the thread's error information (SetErrorInfo(0, nullptr)).
void ClearError() noexcept;

}  // namespace kelto::com
