#include "symbolic/DefaultCSSGB.h"

#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"

using namespace kelto::solid;

bool CDefaultCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  const ComPtr<IKeltoLegs> legs = LegsOf(info.Component());
  const long count = CountOf(legs.Get());
  for (long i = 0; i < count; ++i) DrawLeg(info, gb, LegAt(legs.Get(), i).Get());
  // The last resort: whatever the component is, it has been drawn as well as
  // it can be, even when it has no legs to draw.
  return true;
}
