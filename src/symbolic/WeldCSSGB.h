// CWeldCSSGB: the built-in symbolic builder for welds: a filled disc of the bore's diameter at
// the midpoint of Run_1 and Run_2, its plane containing the pipe axis. A zero-length weld takes
// the direction of its nearest leg; declines when Run_1 or Run_2 is missing or no direction is
// found.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CWeldCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
