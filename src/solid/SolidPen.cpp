#include "solid/ConstructionFunctions.h"

#include <algorithm>

namespace kelto::solid {

namespace {
// A point on a leg's segment: the search for the nearest leg can stop.
constexpr double kOnSegment = 1e-08;
}  // namespace

void CSolidPen::Line(const CPoint3& a, const CPoint3& b) {
  m_geometry.AddLine(a, b, m_builder.Colour(m_info));
}

void CSolidPen::Cone(const CPoint3& a, double da, const CPoint3& b, double db) {
  m_geometry.AddCone(a, da, b, db, m_builder.Colour(m_info));
}

void CSolidPen::CurvedCone(const CPoint3& a, double da, const CPoint3& b, double db,
                           const CPoint3& centre) {
  m_geometry.AddCurvedCone(a, da, b, db, centre, m_builder.Colour(m_info));
}

void CSolidPen::Snout(const CPoint3& a, double da, const CPoint3& b, double db,
                      const CVector3& direction) {
  m_geometry.AddSnout(a, da, b, db, direction, m_builder.Colour(m_info));
}

void CSolidPen::Circle(const CPoint3& centre, double diameter, const CVector3& normal) {
  m_geometry.AddCircle(centre, diameter, normal, m_builder.Colour(m_info));
}

void CSolidPen::Flange(const CEndData& end, IKeltoLeg* leg) {
  if (!end.flanged || end.flangeOD == 0.0) return;
  if (!end.position.IsEqual(end.face)) {
    Cone(end.position, end.flangeOD, end.face, end.flangeOD);
    return;
  }
  // No room for a thickness (the run has no length): a disc square to the
  // pipe shows the flange.
  ComPtr<IKeltoLeg> chosen(leg);
  if (!chosen) {
    if (auto nearest = NearestLeg(m_info.Component(), end.position, true)) chosen = nearest->leg;
  }
  if (!chosen) return;
  const CVector3 direction = DirectionOf(chosen.Get());
  if (direction.IsZero()) return;
  Circle(end.position, end.flangeOD, direction);
}

double DistanceToSegment(const CPoint3& p, const CPoint3& a, const CPoint3& b) {
  const CVector3 ab = b - a;
  const double lengthSquared = ab.LengthSquared();
  if (lengthSquared == 0.0) return p.DistanceTo(a);
  const double t = std::clamp((p - a).Dot(ab) / lengthSquared, 0.0, 1.0);
  return p.DistanceTo(a + t * ab);
}

std::optional<NearestLegResult> NearestLeg(IKeltoComponent* component, const CPoint3& p,
                                           bool acceptAny) {
  const ComPtr<IKeltoLegs> legs = LegsOf(component);
  const long count = CountOf(legs.Get());
  std::optional<NearestLegResult> best;
  for (long i = 0; i < count; ++i) {
    ComPtr<IKeltoLeg> leg = LegAt(legs.Get(), i);
    LegPoints points = PointsOf(component, leg.Get());
    if (!points.from || !points.to) continue;
    const double distance =
        DistanceToSegment(p, PositionOf(points.from.Get()), PositionOf(points.to.Get()));
    if (!best || distance < best->distance)
      best = NearestLegResult{std::move(leg), std::move(points), distance};
    if (distance < kOnSegment) break;
  }
  if (best && !acceptAny && !(best->distance < kOnSegment)) return std::nullopt;
  return best;
}

}  // namespace kelto::solid
