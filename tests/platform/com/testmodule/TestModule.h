// The test module's lock and its one class, a dual-interface class written
// the way a scripting class of a real module is (IDispatch comes from the
// table in Calculator.h).
#pragma once

#include "Calculator.h"
#include "platform/com/Object.h"

namespace kelto::testmodule {

struct ModuleTag;
using Lock = kelto::com::ModuleLock<ModuleTag>;

class CCalculator : public kelto::com::ObjectIn<CCalculator, Lock, kelto::com::Dual<ICalculator>> {
 public:
  HRESULT Add(LONG a, LONG b, LONG* result) override {
    if (!result) return E_POINTER;
    // Wraps around like the 32-bit integers of the scripting ABI.
    *result = static_cast<LONG>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
    return S_OK;
  }
};

}  // namespace kelto::testmodule
