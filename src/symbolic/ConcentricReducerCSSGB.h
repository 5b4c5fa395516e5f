// CConcentricReducerCSSGB: the built-in symbolic builder for concentric reducers: flange boxes,
// a trapezoid from Run_1 to Run_2 as wide as each end's pipe, then the other legs (a teed
// reducer's branch). Declines when Run_1 or Run_2 is missing or internal, or the two coincide.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CConcentricReducerCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
