// CGeometrySet: the ordered list of a node's primitives. Order is insertion
// order and survives copies. Builders fill it through IFGeometryCons; scripts
// edit it as a vector.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/BoundBox.h"
#include "core/GeometryCons.h"
#include "core/Primitive.h"
#include "core/WrappedClass.h"

class CGeometrySet : public IFGeometryCons, public std::vector<CPrimitive>, public CWrappedClass {
 public:
  CGeometrySet() = default;
  CGeometrySet(const CGeometrySet&) = default;
  CGeometrySet(CGeometrySet&&) noexcept = default;
  // Assignment replaces the primitives; the set keeps its own scripting face.
  CGeometrySet& operator=(const CGeometrySet&) = default;
  CGeometrySet& operator=(CGeometrySet&&) noexcept = default;

  void AddLine(const CPoint3& start, const CPoint3& end, std::int32_t colour) override;
  void AddCone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
               std::int32_t colour) override;
  void AddCurvedCone(const CPoint3& start, double startDiameter, const CPoint3& end,
                     double endDiameter, const CPoint3& centre, std::int32_t colour) override;
  void AddSnout(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
                const CVector3& direction, std::int32_t colour) override;
  void AddCircle(const CPoint3& centre, double diameter, const CVector3& direction,
                 std::int32_t colour) override;

  virtual ~CGeometrySet() = default;

  void Clear() { clear(); }
  // Union of the primitives' boxes; empty (radius 0) for an empty set.
  CBoundBox GetBoundBox() const;
  // One line per primitive: two spaces per indent level, the primitive's
  // text, "\n". Numbers in default stream formatting.
  std::string Dump(int indent) const;
  void DumpTo(std::ostream& os, int indent) const;
};
