// CDefaultCSSGB: the built-in symbolic builder for always: DrawLeg for every leg (a component
// without legs draws nothing and still counts as drawn).
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CDefaultCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
