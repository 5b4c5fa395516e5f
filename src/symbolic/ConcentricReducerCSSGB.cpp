#include "symbolic/ConcentricReducerCSSGB.h"

#include "solid/ComponentInfo.h"
#include "symbolic/SymbolFrame.h"

bool CConcentricReducerCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
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
  // A teed reducer's branch.
  DrawLegSet(info, gb, OtherLegs(info));
  return true;
}
