#include "symbolic/ConcentricReducerCSSGB.h"

#include "solid/ComponentInfo.h"

bool CConcentricReducerCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  const auto symbol = BeginRunSymbol(info, gb);
  if (!symbol) return false;
  DrawRunOutline(gb, *symbol);
  // A teed reducer's branch.
  DrawLegSet(info, gb, OtherLegs(info));
  return true;
}
