// CSupportCSSGB: the built-in symbolic builder for supports: two bars of length 2·s either
// side of Centre_1 along the pipe it stands on (s = 1.5 × the bore in millimetres, bore 0
// counting as 1). Declines without Centre_1.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CSupportCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
