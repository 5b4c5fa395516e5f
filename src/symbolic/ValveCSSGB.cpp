#include "symbolic/ValveCSSGB.h"

#include <algorithm>

#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"
#include "symbolic/SymbolFrame.h"

using namespace kelto::solid;

bool CValveCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  IKeltoComponent* component = info.Component();
  CPoint3 centre;
  CVector3 axis;
  double w = 0.0, l = 0.0;
  bool drewLeg = false;

  const ComPtr<IKeltoLegs> legs = LegsOf(component);
  const long count = CountOf(legs.Get());
  for (long i = 0; i < count; ++i) {
    const ComPtr<IKeltoLeg> leg = LegAt(legs.Get(), i);
    const LegPoints points = PointsOf(component, leg.Get());
    IKeltoPoint* pa = Require(points.from);
    IKeltoPoint* pb = Require(points.to);
    CEndData e1, e2;
    info.EndData(pa, pb, e1, e2);
    const bool aInternal = IsInternal(pa), bInternal = IsInternal(pb);
    // A construction point has no pipe of its own: the body reaches it with
    // the width of the end it comes from.
    if (aInternal && !bInternal) e1.pipeOD = e2.pipeOD;
    if (bInternal && !aInternal) e2.pipeOD = e1.pipeOD;
    if (SamePoint(e1.position, e2.position)) continue;

    DrawFlangeBoxes(gb, e1, e2);
    const CVector3 x = e2.face - e1.face;
    const CSymbolFrame f(e1.face, x, PlanarPerpendicular(x, gb).Normalised());
    const double a = e1.pipeOD / 2.0, b = e2.pipeOD / 2.0;
    if (!aInternal && !bInternal) {
      // A straight valve: the bow-tie between its flange faces.
      gb.Line(f.Map(0, a), f.Map(0, -a));
      gb.Line(f.Map(1, -b), f.Map(0, a));
      gb.Line(f.Map(1, b), f.Map(1, -b));
      gb.Line(f.Map(0, -a), f.Map(1, b));
      centre = e1.face + 0.5 * x;
    } else if (aInternal && bInternal) {
      gb.Line(e1.face, e2.face);
      centre = e1.face + 0.5 * x;
    } else if (bInternal) {
      // From an end into the valve's centre: a triangle pointing inwards.
      gb.Line(f.Map(0, a), f.Map(0, -a));
      gb.Line(f.Map(1, 0), f.Map(0, a));
      gb.Line(f.Map(0, -a), f.Map(1, 0));
      centre = e2.face;
    } else {
      gb.Line(f.Map(1, -b), f.Map(0, 0));
      gb.Line(f.Map(1, b), f.Map(1, -b));
      gb.Line(f.Map(0, 0), f.Map(1, b));
      centre = e1.face;
    }
    axis = x;
    const double m = std::max(e1.flangeOD, e2.flangeOD);
    const double length = axis.Length();
    w = m / 2.0;
    // The hand wheel never spans more than the body it sits on.
    l = m > length ? length / 2.0 : m / 2.0;
    drewLeg = true;
  }
  // Without a body there is nowhere to put a spindle: its centre and size
  // would be made up.
  if (drewLeg) DrawSpindle(info, gb, centre, axis, w, l);
  return true;
}
