#include "symbolic/SupportCSSGB.h"

#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"
#include "symbolic/SymbolFrame.h"

using namespace kelto::solid;

namespace {
// How far the bars reach, in bores.
constexpr double kSupportScale = 1.5;
}  // namespace

bool CSupportCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  const ComPtr<IKeltoPoint> p = FindPoint(info.Component(), u"Centre_1");
  if (!p) return false;
  const CPoint3 c = PositionOf(p.Get());
  CVector3 dir = SupportDirection(info, c);
  if (dir.IsZero()) dir = CVector3(1.0, 0.0, 0.0);
  const double bore = BoreOf(p.Get());
  // A support without a bore still gets a visible mark, one unit bore wide.
  const double s = (bore > 0.0 ? bore : 1.0) * BoreFactor(BoreUnitsOf(p.Get())) * kSupportScale;
  const CVector3 x = dir.Normalised() * s;
  const CVector3 y = PlanarPerpendicular(x, gb);
  const CSymbolFrame f(c, x, y);
  gb.CentreMark(c, s);
  gb.Line(f.Map(1, 1), f.Map(-1, 1));
  gb.Line(f.Map(1, -1), f.Map(-1, -1));
  return true;
}
