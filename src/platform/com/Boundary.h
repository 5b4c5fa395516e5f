// The scripting boundary: where C++ exceptions become HRESULTs plus error
// information. Every member of a scripting interface runs its body through
// Guard, so nothing throws through an interface:
//
//   HRESULT CModelNodes::get_Item(VARIANT index, IModelNode** ppNode) {
//     return Guard(kClsid, IidOf<IModelNodes>(), [&] {
//       if (!ppNode) throw HResultError(E_POINTER, "Null result pointer.");
//       ...                                   // may throw
//     });
//   }
//
// Guard(clsid, iid, body):
//   - body returns HRESULT or nothing (nothing means S_OK);
//   - a success clears the thread's error information (a caller that looks
//     at it after S_OK must not find an older failure); a failure HRESULT
//     that body returns leaves it as body set it;
//   - an exception becomes error information (SetError: the message, the
//     class's CLSID as source, iid as GUID) and a failure HRESULT:
//
//       _com_error            its HRESULT; its description, else the
//                             HRESULT's standard message
//       HResultError          its HRESULT and message
//       std::bad_alloc        E_OUTOFMEMORY, "Out of memory."
//       std::invalid_argument E_INVALIDARG, what()
//       std::out_of_range     DISP_E_BADINDEX, what()  (index and key lookups)
//       std::exception        E_FAIL, what()
//       anything else         E_FAIL, "Unknown error."
//
//     An exception that carries a success code still fails, with E_FAIL.
#pragma once

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/com/ErrorInfo.h"
#include "platform/com/Interfaces.h"

namespace kelto::com {

// An exception with a chosen HRESULT, for failures whose code matters to
// callers (E_POINTER, E_INVALIDARG, CONNECT_E_..., ...).
class HResultError : public std::runtime_error {
 public:
  HResultError(HRESULT hr, const std::string& utf8Message)
      : std::runtime_error(utf8Message), hr_(hr) {}
  HRESULT Code() const noexcept { return hr_; }

 private:
  HRESULT hr_;
};

namespace detail {
// Records the exception in flight (called from a catch block) and returns
// the HRESULT for it, as tabulated above.
HRESULT ReportCurrentException(const CLSID& clsid, const IID& iid) noexcept;
}  // namespace detail

template <class F>
HRESULT Guard(const CLSID& clsid, const IID& iid, F&& body) noexcept {
  try {
    HRESULT hr = S_OK;
    if constexpr (std::is_void_v<std::invoke_result_t<F&&>>) {
      std::forward<F>(body)();
    } else {
      static_assert(std::is_convertible_v<std::invoke_result_t<F&&>, HRESULT>,
                    "a guarded body returns HRESULT or nothing");
      hr = std::forward<F>(body)();
    }
    if (SUCCEEDED(hr)) ClearError();
    return hr;
  } catch (...) {
    return detail::ReportCurrentException(clsid, iid);
  }
}

// ISupportErrorInfo for Object<...>'s interface list: S_OK for the listed
// interfaces (those whose members report through Guard), S_FALSE otherwise.
template <class... Interfaces>
class SupportErrorInfo : public ISupportErrorInfo {
 public:
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return ((riid == IidOf<Interfaces>()) || ...) ? S_OK : S_FALSE;
  }

 protected:
  SupportErrorInfo() = default;
  ~SupportErrorInfo() = default;
};

template <class... Interfaces>
struct InterfaceId<SupportErrorInfo<Interfaces...>> {
  using parent = IUnknown;
  static constexpr IID value = InterfaceId<ISupportErrorInfo>::value;
};

}  // namespace kelto::com
