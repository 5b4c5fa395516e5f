// _com_error: the exception the module throws when a call on an object fails
// (its own objects or a host's). It carries the HRESULT, the IID of the
// interface that failed (GUID_NULL when unknown) and the thread's error
// information as it stood when the error was raised, so that a boundary
// helper further up can report the original description.
//
// Nothing in here throws through an interface: scripting boundaries catch it
// and turn it back into an HRESULT plus error info.
#pragma once

#include <exception>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Interfaces.h"
#include "platform/com/Types.h"

class _com_error : public std::exception {
 public:
  // perrinfo is the error information to keep (a reference is added);
  // null means none.
  explicit _com_error(HRESULT hr, IErrorInfo* perrinfo = nullptr, const IID& iid = GUID_NULL);
  _com_error(const _com_error&) = default;
  _com_error& operator=(const _com_error&) = default;
  ~_com_error() override = default;

  HRESULT Error() const noexcept { return hr_; }
  const IID& Iid() const noexcept { return iid_; }
  // The error information captured with the error (no new reference), or null.
  IErrorInfo* ErrorInfo() const noexcept { return info_.Get(); }

  // UTF-8 texts from the error information; empty when there is none.
  std::string Description() const;
  std::string Source() const;
  // The standard message for the HRESULT ("Type mismatch.").
  std::string ErrorMessage() const;

  // Description when there is one, else the HRESULT's message; always
  // followed by the HRESULT in hex.
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  HRESULT hr_;
  IID iid_;
  kelto::com::ComPtr<IErrorInfo> info_;
  std::string what_;
};

namespace kelto::com {

// The standard English message of well-known HRESULTs, or
// "Unknown error 0x80041234" for others.
std::string DescribeHResult(HRESULT hr);

// Throws _com_error(hr) with the thread's current error information (taken
// with GetErrorInfo, which also clears it).
[[noreturn]] void ThrowComError(HRESULT hr, const IID& iid = GUID_NULL);

// Throws when hr is a failure code; returns hr (S_OK, S_FALSE...) otherwise.
inline HRESULT ThrowIfFailed(HRESULT hr, const IID& iid = GUID_NULL) {
  if (FAILED(hr)) ThrowComError(hr, iid);
  return hr;
}

// As above, but takes the error information only when object says, through
// ISupportErrorInfo, that interface iid reports errors that way; otherwise
// any pending information belongs to somebody else and is left alone.
HRESULT ThrowIfFailed(HRESULT hr, IUnknown* object, const IID& iid);

}  // namespace kelto::com
