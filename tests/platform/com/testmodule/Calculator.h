// The test module's scripting interface and class identifiers, shared by the
// module and the tests that drive it.
#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Interfaces.h"

namespace kelto::testmodule {

// Dual interface: Add(a, b) returns a + b.
struct ICalculator : IDispatch {
  virtual HRESULT Add(LONG a, LONG b, LONG* result) = 0;
};

// "KeltoTest.Calculator.1" / "KeltoTest.Calculator".
constexpr CLSID kClsidCalculator = kelto::com::MakeGuid("6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A41");
// The same object under a second class with no ProgID.
constexpr CLSID kClsidPlainCalculator =
    kelto::com::MakeGuid("6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A42");

}  // namespace kelto::testmodule

KELTO_INTERFACE_IID(kelto::testmodule::ICalculator, IDispatch,
                    "6B1E3C52-0F4D-4E55-9A8B-2C7D1E0F3A40");
KELTO_DISPATCH_MAP(kelto::testmodule::ICalculator,
                   kelto::com::Method<&kelto::testmodule::ICalculator::Add>("Add", 1));
