// CSymbolFrame: maps 2D symbol coordinates into 3D.
//
// A frame is given by a 2D origin o and basis e1, e2, and the 3D origin O and
// axes X, Y they become: the 2D point p, written as o + u·e1 + v·e2, maps to
// O + u·X + v·Y. With o = (0,0), e1 = (1,0), e2 = (0,1) the point (x, y)
// lands at O + x·X + y·Y.
//
// A singular 2D basis (e1, e2 parallel or zero) has no coordinates to offer:
// such a frame is degenerate and maps every point to O, so a collapsed symbol
// draws as nothing visible rather than as infinities or NaN. Code that must
// refuse degenerate spaces asks IsDegenerate() first.
#pragma once

#include "core/Matrix22.h"
#include "core/Point2.h"
#include "core/Point3.h"
#include "core/Vector2.h"
#include "core/Vector3.h"

class CSymbolFrame {
 public:
  CSymbolFrame(const CPoint2& o, const CVector2& e1, const CVector2& e2, const CPoint3& origin,
               const CVector3& x, const CVector3& y);
  // The unit 2D frame: o = (0,0), e1 = (1,0), e2 = (0,1).
  CSymbolFrame(const CPoint3& origin, const CVector3& x, const CVector3& y);

  CPoint3 Map(const CPoint2& p) const;
  CPoint3 Map(double x, double y) const { return Map(CPoint2(x, y)); }

  bool IsDegenerate() const { return m_degenerate; }
  const CPoint2& Origin2() const { return m_o; }
  // The inverse of [e1 e2]; the zero matrix for a degenerate frame.
  const CMatrix22& InverseBasis() const { return m_inverse; }
  const CPoint3& Origin() const { return m_origin; }
  const CVector3& XAxis() const { return m_x; }
  const CVector3& YAxis() const { return m_y; }

 private:
  CPoint2 m_o;
  CMatrix22 m_inverse;
  CPoint3 m_origin;
  CVector3 m_x;
  CVector3 m_y;
  bool m_degenerate = false;
};
