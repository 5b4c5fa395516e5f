// "Support": a ring around the pipe the support stands on, at the support's
// point, and a short stem from the ring towards SUPPORT-DIRECTION.
#include <algorithm>

#include "solid/ConstructionFunctions.h"

namespace kelto::solid {

namespace {
// The longest stem, in model units.
constexpr double kMaxStem = 25.0;
}  // namespace

bool Support(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> p = FindPoint(component, u"Centre_1");
  if (!p) return builder.Decline("the point Centre_1 is missing");
  const CPoint3 s = PositionOf(p.Get());

  LONG attachments = 0;
  kelto::com::ThrowIfFailed(component->get_AttachmentCount(&attachments),
                            kelto::com::IidOf<IKeltoComponent>());
  if (attachments == 0) return builder.Decline("the support is attached to nothing");
  const CComponentInfo::Ptr x = info.Attached(0);
  if (!x) return builder.Decline("the support's attachment cannot be read");

  // An attachment without legs gives nothing to stand on: drawn, as nothing.
  const auto nearest = NearestLeg(x->Component(), s, true);
  if (!nearest) return true;

  CEndData e1, e2;
  x->EndData(nearest->points.from.Get(), nearest->points.to.Get(), e1, e2);
  const double d = std::max({e1.pipeOD, e2.pipeOD, e1.flangeOD, e2.flangeOD});
  CVector3 v = e2.position - e1.position;
  if (v.IsZero()) v = DirectionOf(nearest->leg.Get());

  CSolidPen pen(builder, info, g);
  if (!v.IsZero() && d > 0.0) pen.Circle(s, d, v);
  const CVector3 q = info.GetDirectionAttribute(u"SUPPORT-DIRECTION");
  if (!q.IsZero() && !v.IsZero()) {
    const CVector3 w = v.Cross(q.Cross(v)).Normalised();
    const double r = d * 0.5;
    pen.Line(s + r * w, s + (r + std::min(r, kMaxStem)) * w);
  }
  return true;
}

}  // namespace kelto::solid
