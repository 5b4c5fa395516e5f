// "Valve": every leg drawn as a pair of cones meeting in the middle (a leg
// between two ends) or as one cone (a leg to the body centre), flanges at
// flanged ends, and a spindle with its handwheel at the body centre.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "solid/ConstructionFunctions.h"

namespace kelto::solid {

namespace {

CPoint3 Mid(const CPoint3& a, const CPoint3& b) {
  return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

// The spindle at k, square to the pipe direction v: a stem of length a along
// the part of SPINDLE-DIRECTION that is square to v, and a handwheel disc of
// diameter b at its top.
void Spindle(CSolidPen& pen, CComponentInfo& info, const CPoint3& k, const CVector3& v, double a,
             double b) {
  if (v.IsZero()) return;
  const CVector3 s = info.GetDirectionAttribute(u"SPINDLE-DIRECTION");
  if (s.IsZero()) return;
  CVector3 w = v.Cross(s.Cross(v));
  if (w.IsZero()) w = s;
  const CVector3 n = w.Normalised();
  const CPoint3 top = k + a * n;
  if (!top.IsEqual(k)) pen.Line(k, top);
  if (b > 0.0) pen.Circle(top, b, n);
}

}  // namespace

bool Valve(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  CSolidPen pen(builder, info, g);
  const ComPtr<IKeltoLegs> legs = LegsOf(component);
  const long count = CountOf(legs.Get());

  // Before any leg: no spindle (v zero).
  CPoint3 k;
  CVector3 v;
  double a = 0.0;
  double b = 0.0;
  for (long i = 0; i < count; ++i) {
    const ComPtr<IKeltoLeg> leg = LegAt(legs.Get(), i);
    const LegPoints points = PointsOf(component, leg.Get());
    if (!points.from || !points.to)
      throw std::runtime_error("leg " + std::to_string(i) + " names a point the valve lacks");
    IKeltoPoint* pa = points.from.Get();
    IKeltoPoint* pb = points.to.Get();

    CEndData ea, eb;
    info.EndData(pa, pb, ea, eb);
    pen.Flange(ea, leg.Get());
    pen.Flange(eb, leg.Get());

    const bool internalA = IsInternal(pa);
    const bool internalB = IsInternal(pb);
    if (ea.face.IsEqual(eb.face)) {
      k = ea.face;
    } else if (!internalA && !internalB) {
      const CPoint3 m = Mid(ea.face, eb.face);
      pen.Cone(ea.face, ea.pipeOD, m, 0.0);
      pen.Cone(eb.face, eb.pipeOD, m, 0.0);
      k = m;
    } else {
      if (ea.pipeOD == 0.0 && eb.pipeOD == 0.0) {
        pen.Line(ea.face, eb.face);
      } else {
        pen.Cone(ea.face, ea.pipeOD, eb.face, eb.pipeOD);
      }
      k = internalA ? ea.face : eb.face;
    }
    v = eb.position - ea.position;
    const double f = std::max(ea.flangeOD, eb.flangeOD);
    a = 0.5 * f;
    b = 0.5 * std::min(f, v.Length());
  }
  Spindle(pen, info, k, v, a, b);
  return true;
}

}  // namespace kelto::solid
