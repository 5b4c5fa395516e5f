#include "symbolic/SkeldaSymbol.h"

#include <algorithm>
#include <cmath>

namespace {

// Relative to the lengths of the two axes, so that a symbol drawn in tiny or
// huge units is judged the same way.
constexpr double kParallelTolerance = 1e-12;

}  // namespace

CPoint2 CSkeldaSymbol::Start() const {
  return instructions.empty() ? CPoint2() : instructions.front().point;
}

CPoint2 CSkeldaSymbol::End() const {
  if (instructions.empty()) return CPoint2();
  const CPoint2 last = instructions.back().point;
  if (last != instructions.front().point) return last;
  // A closed outline ends where it started; its run then goes from the start
  // to the far side of the figure, level with the closing point.
  double maxX = last.x;
  for (const Instruction& i : instructions) maxX = std::max(maxX, i.point.x);
  return {maxX, last.y};
}

CSkeldaSymbol::Box CSkeldaSymbol::BoundingBox() const {
  Box box;
  if (instructions.empty()) return box;
  box.min = box.max = instructions.front().point;
  for (const Instruction& i : instructions) {
    box.min.x = std::min(box.min.x, i.point.x);
    box.min.y = std::min(box.min.y, i.point.y);
    box.max.x = std::max(box.max.x, i.point.x);
    box.max.y = std::max(box.max.y, i.point.y);
  }
  return box;
}

CVector2 CSkeldaSymbol::Axis() const { return (End() - Start()).Normalised(); }

CVector2 CSkeldaSymbol::Normal() const { return Axis().Perpendicular(); }

double CSkeldaSymbol::Length() const {
  const CVector2 u = Axis();
  if (u == CVector2()) return 0.0;
  const Extent e = Measure(Start(), u, u.Perpendicular());
  return e.max1 - e.min1;
}

double CSkeldaSymbol::Width() const {
  const CVector2 u = Axis();
  if (u == CVector2()) return 0.0;
  const Extent e = Measure(Start(), u, u.Perpendicular());
  return e.max2 - e.min2;
}

bool CSkeldaSymbol::HasSpindlePosition() const {
  return std::any_of(instructions.begin(), instructions.end(),
                     [](const Instruction& i) { return i.code == kSpindlePosition; });
}

CPoint2 CSkeldaSymbol::SpindlePoint() const {
  for (const Instruction& i : instructions)
    if (i.code == kSpindlePosition) return i.point;
  return End();
}

CSkeldaSymbol::Extent CSkeldaSymbol::Measure(CPoint2 o, CVector2 e1, CVector2 e2) const {
  const double det = e1.Cross(e2);
  // Written so that a NaN axis is refused too.
  if (!(std::fabs(det) > kParallelTolerance * e1.Length() * e2.Length())) throw BadCoordSpace{};
  Extent extent;
  bool first = true;
  for (const Instruction& i : instructions) {
    // Cramer's rule for p − o = a·e1 + b·e2.
    const CVector2 d = i.point - o;
    const double a = d.Cross(e2) / det;
    const double b = e1.Cross(d) / det;
    if (first) {
      extent = {a, a, b, b};
      first = false;
      continue;
    }
    extent.min1 = std::min(extent.min1, a);
    extent.max1 = std::max(extent.max1, a);
    extent.min2 = std::min(extent.min2, b);
    extent.max2 = std::max(extent.max2, b);
  }
  return extent;
}
