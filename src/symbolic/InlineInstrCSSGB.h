// CInlineInstrCSSGB: the built-in symbolic builder for in-line instruments (item code 5):
// flange boxes and a box with both diagonals between Run_1 and Run_2. Declines for another item
// code, a missing or internal Run point, or coincident Run points.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CInlineInstrCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
