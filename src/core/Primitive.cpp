#include "core/Primitive.h"

#include <algorithm>
#include <initializer_list>
#include <locale>
#include <ostream>
#include <sstream>

#include "core/NumberText.h"

namespace {

struct BoxOf {
  CBoundBox operator()(const std::monostate&) const { return {}; }
  CBoundBox operator()(const CPrimitive::Line& r) const {
    CBoundBox b;
    b.AddPoint(r.Start);
    b.AddPoint(r.End);
    return b;
  }
  CBoundBox operator()(const CPrimitive::Cone& r) const {
    return Sweep({r.Start, r.End}, std::max(r.StartDiameter, r.EndDiameter));
  }
  CBoundBox operator()(const CPrimitive::CurvedCone& r) const {
    CBoundBox b = Sweep({r.Start, r.Centre}, 0.0);
    b.AddPoint(r.End);
    b.Expand(std::max(r.StartDiameter, r.EndDiameter));
    return b;
  }
  CBoundBox operator()(const CPrimitive::Snout& r) const {
    return Sweep({r.Start, r.End}, std::max(r.StartDiameter, r.EndDiameter));
  }
  CBoundBox operator()(const CPrimitive::Circle& r) const {
    CBoundBox b;
    b.AddPoint(r.Centre);
    b.Expand(r.Diameter);
    return b;
  }

  // The full diameter, not the radius, widens the box: a generous box costs
  // nothing where it is used (fitting and culling), a tight one could clip.
  static CBoundBox Sweep(std::initializer_list<CPoint3> points, double widen) {
    CBoundBox b;
    for (const CPoint3& p : points) b.AddPoint(p);
    b.Expand(widen);
    return b;
  }
};

struct TextOf {
  std::ostream& os;
  void operator()(const std::monostate&) const {}
  void operator()(const CPrimitive::Line& r) const {
    os << "Line : ";
    WriteTriple(os, r.Start);
    os << " to ";
    WriteTriple(os, r.End);
  }
  // The cone's diameters are left out of the text on purpose: the dump is a
  // structural overview.
  void operator()(const CPrimitive::Cone& r) const {
    os << "Cone : ";
    WriteTriple(os, r.Start);
    os << " to ";
    WriteTriple(os, r.End);
  }
  void operator()(const CPrimitive::CurvedCone&) const { os << "Curved Cone"; }
  void operator()(const CPrimitive::Snout&) const { os << "Snout"; }
  void operator()(const CPrimitive::Circle& r) const {
    os << "Circle D = ";
    WriteNumber(os, r.Diameter);
  }
};

}  // namespace

CBoundBox CPrimitive::GetBoundBox() const { return std::visit(BoxOf{}, m_data); }

void CPrimitive::DumpTo(std::ostream& os) const { std::visit(TextOf{os}, m_data); }

std::string CPrimitive::Dump() const {
  std::ostringstream os;
  os.imbue(std::locale::classic());
  DumpTo(os);
  return os.str();
}
