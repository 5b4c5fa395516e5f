// CCalculator: a dual-interface class of the test module, written the way a
// scripting class of a real module is (IDispatch comes from the table in
// Calculator.h).
#include "Calculator.h"

#include "TestModule.h"
#include "platform/com/Strings.h"

namespace kelto::testmodule {

HRESULT CCalculator::Add(LONG a, LONG b, LONG* result) {
  if (!result) return E_POINTER;
  // Wraps around like the 32-bit integers of the scripting ABI.
  *result = static_cast<LONG>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  return S_OK;
}

HRESULT CCalculator::get_Name(BSTR* value) {
  if (!value) return E_POINTER;
  *value = kelto::com::AllocBstr(std::u16string_view(name_));
  return *value || name_.empty() ? S_OK : E_OUTOFMEMORY;
}

HRESULT CCalculator::put_Name(BSTR value) {
  name_ = kelto::com::BstrView(value);
  return S_OK;
}

}  // namespace kelto::testmodule
