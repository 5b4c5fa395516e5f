#include "platform/com/Boundary.h"

#include <new>

#include "platform/com/ComError.h"

namespace kelto::com {

namespace detail {

namespace {

HRESULT Record(const CLSID& clsid, const IID& iid, HRESULT hr, const char* message) noexcept {
  SetError(clsid, iid, message);
  // A caller must be able to rely on FAILED() after an exception.
  return FAILED(hr) ? hr : E_FAIL;
}

}  // namespace

HRESULT ReportCurrentException(const CLSID& clsid, const IID& iid) noexcept {
  try {
    throw;
  } catch (const _com_error& e) {
    // Keep the failing call's code and its own words, but name the class at
    // this boundary as the source: that is the object the script called.
    try {
      std::string text = e.Description();
      if (text.empty()) text = e.ErrorMessage();
      return Record(clsid, iid, e.Error(), text.c_str());
    } catch (...) {
      return Record(clsid, iid, e.Error(), "");
    }
  } catch (const HResultError& e) {
    return Record(clsid, iid, e.Code(), e.what());
  } catch (const std::bad_alloc&) {
    return Record(clsid, iid, E_OUTOFMEMORY, "Out of memory.");
  } catch (const std::invalid_argument& e) {
    return Record(clsid, iid, E_INVALIDARG, e.what());
  } catch (const std::out_of_range& e) {
    return Record(clsid, iid, DISP_E_BADINDEX, e.what());
  } catch (const std::exception& e) {
    return Record(clsid, iid, E_FAIL, e.what());
  } catch (...) {
    return Record(clsid, iid, E_FAIL, "Unknown error.");
  }
}

}  // namespace detail

}  // namespace kelto::com
