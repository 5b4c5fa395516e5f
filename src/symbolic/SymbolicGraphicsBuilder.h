// CSymbolicGraphicsBuilder: the graphics builder of the symbolic model. It
// turns a builder's drawing calls into primitives of one component's geometry
// set, all in one colour. A short-lived value made per component.
//
// Lines and open circles go straight to the sink; a filled circle becomes a
// flat disc: a cone from c + u·d/500 to c − u·d/500 with both diameters d (u
// the unit normal), 1/250 of its diameter thick. Point and centre marks draw
// nothing.
#pragma once

#include <cstdint>

#include "core/GeometryCons.h"
#include "symbolic/ComponentSSGBuilder.h"

class CSymbolicGraphicsBuilder : public CComponentSSGBuilder::IFGraphicsBuilder {
 public:
  // sink is not owned and must outlive this object.
  CSymbolicGraphicsBuilder(IFGeometryCons* sink, std::int32_t colour)
      : m_sink(sink), m_colour(colour) {}
  virtual ~CSymbolicGraphicsBuilder() = default;

  void Line(const CPoint3& a, const CPoint3& b) override;
  void PointMark(const CPoint3& p, double size) override;
  void Circle(const CPoint3& centre, double diameter, const CVector3& normal, bool filled) override;
  void CentreMark(const CPoint3& p, double size) override;
  void Reserved() override;
  CVector3 Perpendicular(const CVector3& v) override { return PerpendicularOf(v); }

  // The rule behind Perpendicular (tests against exact 0.0):
  //   (x,0,0) → (0,0,x);  (0,y,0) → (0,0,y);  (0,0,z) → (z,0,0);
  //   otherwise unit(1,1,−1) × v, not normalised afterwards.
  // A zero vector gives the zero vector. A v parallel to (1,1,−1) would make
  // that cross product vanish and collapse every symbol drawn across it, so
  // it takes unit(0,0,1) × v instead.
  static CVector3 PerpendicularOf(const CVector3& v);

  // The disc half-thickness divisor: a filled circle reaches d/500 either side.
  static constexpr double kDiscDivisor = 500.0;

  std::int32_t Colour() const { return m_colour; }

 private:
  IFGeometryCons* m_sink;
  std::int32_t m_colour;
};
