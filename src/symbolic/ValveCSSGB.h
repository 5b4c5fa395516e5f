// CValveCSSGB: the built-in symbolic builder for valves: per leg a body by the kind of its ends
// (bow-tie between two connection ends, a triangle from an end to the internal centre, a centre
// line between two internal points), flange boxes at flanged ends, then one spindle.
#pragma once

#include "symbolic/DefaultCSSGBBase.h"

class CValveCSSGB : public CDefaultCSSGBBase {
 public:
  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;
};
