#include "core/GeometrySet.h"

#include <locale>
#include <ostream>
#include <sstream>

void CGeometrySet::AddLine(const CPoint3& start, const CPoint3& end, std::int32_t colour) {
  emplace_back(CPrimitive::Line{start, end, colour});
}

void CGeometrySet::AddCone(const CPoint3& start, double startDiameter, const CPoint3& end,
                           double endDiameter, std::int32_t colour) {
  emplace_back(CPrimitive::Cone{start, startDiameter, end, endDiameter, colour});
}

void CGeometrySet::AddCurvedCone(const CPoint3& start, double startDiameter, const CPoint3& end,
                                 double endDiameter, const CPoint3& centre, std::int32_t colour) {
  emplace_back(CPrimitive::CurvedCone{start, startDiameter, end, endDiameter, centre, colour});
}

void CGeometrySet::AddSnout(const CPoint3& start, double startDiameter, const CPoint3& end,
                            double endDiameter, const CVector3& direction, std::int32_t colour) {
  emplace_back(CPrimitive::Snout{start, startDiameter, end, endDiameter, direction, colour});
}

void CGeometrySet::AddCircle(const CPoint3& centre, double diameter, const CVector3& direction,
                             std::int32_t colour) {
  emplace_back(CPrimitive::Circle{centre, diameter, direction, colour});
}

CBoundBox CGeometrySet::GetBoundBox() const {
  CBoundBox box;
  for (const CPrimitive& p : *this) box.Add(p.GetBoundBox());
  return box;
}

void CGeometrySet::DumpTo(std::ostream& os, int indent) const {
  const std::string pad(2 * static_cast<std::size_t>(indent > 0 ? indent : 0), ' ');
  for (const CPrimitive& p : *this) {
    os << pad;
    p.DumpTo(os);
    os << '\n';
  }
}

std::string CGeometrySet::Dump(int indent) const {
  std::ostringstream os;
  os.imbue(std::locale::classic());
  DumpTo(os, indent);
  return os.str();
}
