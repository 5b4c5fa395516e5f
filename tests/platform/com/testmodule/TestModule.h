// The test module's lock and its one class.
#pragma once

#include <string>

#include "Calculator.h"
#include "platform/com/Object.h"

namespace kelto::testmodule {

struct ModuleTag;
using Lock = kelto::com::ModuleLock<ModuleTag>;

class CCalculator : public kelto::com::ObjectIn<CCalculator, Lock, kelto::com::Dual<ICalculator>> {
 public:
  HRESULT Add(LONG a, LONG b, LONG* result) override;
  HRESULT get_Name(BSTR* value) override;
  HRESULT put_Name(BSTR value) override;

 private:
  std::u16string name_;
};

}  // namespace kelto::testmodule
