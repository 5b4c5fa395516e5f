// CInlineFitOrMiscCSSGB: the built-in symbolic builder for in-line fittings and miscellaneous
// items (item code 5): flange boxes and a plain box between Run_1 and Run_2. Declines as the
// instrument builder does.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CInlineFitOrMiscCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
