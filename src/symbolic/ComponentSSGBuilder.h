// CComponentSSGBuilder: the base of every symbolic (line-art) component
// builder, and IFGraphicsBuilder, the drawing interface builders draw through.
//
// A builder never creates primitives itself: it calls the graphics builder,
// which decides what each call becomes (CSymbolicGraphicsBuilder turns them
// into primitives of a geometry set). Builders hold no state, so one object
// may serve any number of library keys.
#pragma once

#include "core/CountedPtr.h"
#include "core/Point3.h"
#include "core/Vector3.h"

class CComponentInfo;

class CComponentSSGBuilder {
 public:
  using Ptr = cptr::counted_ptr<CComponentSSGBuilder>;

  // What a builder draws with. The operations are in the order every
  // implementation must keep.
  class IFGraphicsBuilder {
   public:
    virtual void Line(const CPoint3& a, const CPoint3& b) = 0;
    // A marker at a point (drawn or ignored, at the graphics builder's choice).
    virtual void PointMark(const CPoint3& p, double size) = 0;
    // A circle of the given diameter in the plane whose normal is given;
    // filled draws a flat disc.
    virtual void Circle(const CPoint3& centre, double diameter, const CVector3& normal,
                        bool filled) = 0;
    // Told the centre point and size of a point-like symbol before it is drawn.
    virtual void CentreMark(const CPoint3& p, double size) = 0;
    virtual void Reserved() = 0;
    // A vector perpendicular to v; see CSymbolicGraphicsBuilder for the rule.
    virtual CVector3 Perpendicular(const CVector3& v) = 0;

   protected:
    IFGraphicsBuilder() = default;
    IFGraphicsBuilder(const IFGraphicsBuilder&) = default;
    IFGraphicsBuilder& operator=(const IFGraphicsBuilder&) = default;
    ~IFGraphicsBuilder() = default;
  };

  virtual ~CComponentSSGBuilder() = default;

  // Draws the component and returns true, or returns false (having drawn
  // nothing) when this builder cannot draw it, so the next candidate is tried.
  // Errors of the piping objects propagate as _com_error.
  virtual bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) = 0;

  // sin 5°: a direction whose z part is below this fraction of its length is
  // treated as horizontal by PlanarPerpendicular.
  static constexpr double kSinFiveDegrees = 0.0871557;

  // The perpendicular a flat symbol is drawn along for a run in direction d:
  // d is first flattened into the horizontal plane when it lies within 5° of
  // it, then gb.Perpendicular is asked. A run along x or y gets a vertical
  // vector (the symbol stands upright); a vertical run (0,0,z) gets (z,0,0).
  static CVector3 PlanarPerpendicular(CVector3 d, IFGraphicsBuilder& gb);
};
