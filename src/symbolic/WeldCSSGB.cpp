#include "symbolic/WeldCSSGB.h"

#include "solid/ComponentInfo.h"
#include "solid/ConstructionFunctions.h"
#include "solid/PipingAccess.h"

using namespace kelto::solid;

bool CWeldCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  if (!r1 || !r2) return false;
  const CPoint3 p1 = PositionOf(r1.Get()), p2 = PositionOf(r2.Get());
  const CPoint3 m = p1 + 0.5 * (p2 - p1);
  const double d = BoreOf(r1.Get()) * BoreFactor(BoreUnitsOf(r1.Get()));

  CVector3 dir;
  if (!SamePoint(p1, p2)) {
    dir = p2 - p1;
  } else {
    // A weld between two butting ends has no length of its own: the pipe
    // direction comes from the leg it sits on.
    const auto nearest = NearestLeg(component, p1, true);
    if (!nearest) return false;
    dir = DirectionOf(nearest->leg.Get());
    if (dir.IsZero()) return false;
  }
  const CVector3 u = PlanarPerpendicular(dir, gb).Normalised();
  const CVector3 n = dir.Cross(u).Normalised();
  gb.CentreMark(m, d);
  // Seen from the side, a disc whose plane holds the pipe axis shows as a
  // bar across the pipe: the single-line mark of a weld.
  gb.Circle(m, d, n, true);
  return true;
}
