#include "symbolic/InlineFitOrMiscCSSGB.h"

#include "solid/ComponentInfo.h"
#include "symbolic/SymbolFrame.h"

namespace {
// The item code of items drawn as a box between Run_1 and Run_2.
constexpr long kInlineItem = 5;
}  // namespace

bool CInlineFitOrMiscCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  if (ItemCode(info) != kInlineItem) return false;
  CEndData e1, e2;
  if (!RunEnds(info, e1, e2)) return false;
  DrawFlangeBoxes(gb, e1, e2);
  const CVector3 x = e2.face - e1.face;
  const CSymbolFrame f(e1.face, x, PlanarPerpendicular(x, gb).Normalised());
  const double a = e1.pipeOD / 2.0, b = e2.pipeOD / 2.0;
  gb.Line(f.Map(0, a), f.Map(0, -a));
  gb.Line(f.Map(1, b), f.Map(0, a));
  gb.Line(f.Map(1, -b), f.Map(1, b));
  gb.Line(f.Map(0, -a), f.Map(1, -b));
  return true;
}
