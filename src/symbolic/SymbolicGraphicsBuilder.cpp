#include "symbolic/SymbolicGraphicsBuilder.h"

void CSymbolicGraphicsBuilder::Line(const CPoint3& a, const CPoint3& b) {
  m_sink->AddLine(a, b, m_colour);
}

void CSymbolicGraphicsBuilder::PointMark(const CPoint3&, double) {}

void CSymbolicGraphicsBuilder::Circle(const CPoint3& centre, double diameter,
                                      const CVector3& normal, bool filled) {
  if (!filled) {
    m_sink->AddCircle(centre, diameter, normal, m_colour);
    return;
  }
  // A filled circle is a very short cone: a solid disc the renderer already
  // knows how to shade, thin enough (1/250 of its diameter) to read as flat.
  const CVector3 half = normal.Normalised() * (diameter / kDiscDivisor);
  m_sink->AddCone(centre + half, diameter, centre - half, diameter, m_colour);
}

void CSymbolicGraphicsBuilder::CentreMark(const CPoint3&, double) {}

void CSymbolicGraphicsBuilder::Reserved() {}

CVector3 CSymbolicGraphicsBuilder::PerpendicularOf(const CVector3& v) {
  if (v.y == 0.0 && v.z == 0.0) return {0.0, 0.0, v.x};
  if (v.x == 0.0 && v.z == 0.0) return {0.0, 0.0, v.y};
  if (v.x == 0.0 && v.y == 0.0) return {v.z, 0.0, 0.0};
  static const CVector3 kReference = CVector3(1.0, 1.0, -1.0).Normalised();
  const CVector3 p = kReference.Cross(v);
  if (!p.IsZero()) return p;
  // v lies along the reference itself: any other axis gives a perpendicular.
  return CVector3(0.0, 0.0, 1.0).Cross(v);
}
