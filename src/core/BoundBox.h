// CBoundBox: an axis-aligned box used for the model tree's extents and for
// fitting the view. A new box is empty with both corners at the origin.
#pragma once

#include "core/Point3.h"

class CBoundBox {
 public:
  CBoundBox() = default;
  CBoundBox(const CBoundBox&) = default;
  CBoundBox& operator=(const CBoundBox&) = default;
  virtual ~CBoundBox() = default;

  // Grows the box to contain p; the first point of an empty box becomes both
  // corners.
  void AddPoint(const CPoint3& p);
  // Unites another box into this one; an empty box adds nothing.
  void Add(const CBoundBox& other);
  // Moves every face outwards by d. The empty flag is not consulted.
  void Expand(double d);

  const CPoint3& GetMin() const { return m_min; }
  const CPoint3& GetMax() const { return m_max; }
  bool IsEmpty() const { return m_empty; }
  CPoint3 GetCentre() const;
  // Half the diagonal; 0 for a new box.
  double GetRadius() const;

  bool operator==(const CBoundBox& o) const {
    return m_min == o.m_min && m_max == o.m_max && m_empty == o.m_empty;
  }

 private:
  CPoint3 m_min;
  CPoint3 m_max;
  bool m_empty = true;
};
