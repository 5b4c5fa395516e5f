// CEccentricReducerCSSGB: the built-in symbolic builder for eccentric reducers: the trapezoid
// lies in the plane of the axis and the offset Centre_1 − Centre_2, flange boxes in the same
// plane, then the other legs. Declines unless Run_1, Run_2 (not internal) and Centre_1, Centre_2
// (internal) exist.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CEccentricReducerCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
