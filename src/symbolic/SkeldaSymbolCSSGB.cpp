#include "symbolic/SkeldaSymbolCSSGB.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"
#include "symbolic/DefaultCSSGBBase.h"

namespace {

using Base = CDefaultCSSGBBase;
using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;
using kelto::solid::Require;

// Bores are scaled to a point symbol's size by this (after inches → mm).
constexpr double kPointSymbolScale = 1.5;
// Below this share of its own length a symbol's rise from start to end (or
// its run) counts as none: the centred frame would divide by it.
constexpr double kFlatSymbol = 1e-9;

// Item codes that choose a drawing outright.
bool IsInlineCode(long code) { return code == 5 || code == 15; }
bool IsCentredCode(long code) { return code == 9 || code == 10; }
constexpr long kPointItemCode = 7;

std::vector<std::string> ChainPointNames(const CComponentInfo& info) {
  std::vector<std::string> names;
  const Base::LegList chain = Base::RunChain(info);
  if (chain.empty()) return names;
  auto add = [&names](const _bstr_t& name) {
    std::string text = name.str();
    if (text.find("Connect") == std::string::npos) names.push_back(std::move(text));
  };
  add(kelto::solid::FromPointName(chain.front().Get()));
  for (const Base::LegPtr& leg : chain) add(kelto::solid::ToPointName(leg.Get()));
  return names;
}

// The names of the component's points, in collection order.
std::vector<std::string> PointNames(IKeltoComponent* component) {
  ComPtr<IKeltoPoints> points;
  ThrowIfFailed(component->get_Points(points.Put()), IidOf<IKeltoComponent>());
  Require(points);
  LONG count = 0;
  ThrowIfFailed(points->get_Count(&count), IidOf<IKeltoPoints>());
  std::vector<std::string> names;
  for (LONG i = 0; i < count; ++i) {
    const _variant_t index(static_cast<long>(i));
    ComPtr<IKeltoPoint> point;
    ThrowIfFailed(points->get_Item(index, point.Put()), IidOf<IKeltoPoints>());
    _bstr_t name;
    ThrowIfFailed(Require(point)->get_Name(name.GetAddress()), IidOf<IKeltoPoint>());
    names.push_back(name.str());
  }
  return names;
}

bool IsFlange(const CComponentInfo& info) {
  IKeltoItem* details = info.Details();
  return details && kelto::solid::GroupNameOf(details) == "Flanges";
}

// What a run between two ends is stretched over: the flange faces and the
// pipe OD, or for a flange itself its two positions and its flange OD.
struct Stretch {
  CPoint3 p1, p2;
  double size = 0.0;
};

Stretch StretchOf(bool flange, const CEndData& e1, const CEndData& e2) {
  if (flange) return {e1.position, e2.position, std::max(e1.flangeOD, e2.flangeOD)};
  return {e1.face, e2.face, std::max(e1.pipeOD, e2.pipeOD)};
}

// Flange boxes belong to what is bolted to a flange, not to the flange.
void DrawEnds(bool flange, CComponentSSGBuilder::IFGraphicsBuilder& gb, const CEndData& e1,
              const CEndData& e2) {
  if (!flange) Base::DrawFlangeBoxes(gb, e1, e2);
}

double BoreInMillimetres(IKeltoPoint* point) {
  return kelto::solid::BoreOf(point) * Base::BoreFactor(kelto::solid::BoreUnitsOf(point));
}

bool EndTypeHasFlange(IKeltoPoint* point) {
  _bstr_t type;
  ThrowIfFailed(point->get_EndType(type.GetAddress()), IidOf<IKeltoPoint>());
  return type.str().find("FL") != std::string::npos;
}

// The component's "FLOW" attribute read as a number; text that is not a
// number is not 1.
bool FlowIsOne(const CComponentInfo& info) {
  const _variant_t flow = info.GetAttribute(u"FLOW");
  if (flow.vt == VT_EMPTY || flow.vt == VT_NULL) return false;
  try {
    return flow.ToDouble() == 1.0;
  } catch (const _com_error&) {
    return false;
  }
}

}  // namespace

CSkeldaSymbolCSSGB::CSkeldaSymbolCSSGB(const CSkeldaSymbol* symbol, const CSkeldaSymbol* spindle)
    : m_symbol(symbol), m_spindle(spindle) {}

bool CSkeldaSymbolCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  // A symbol without a run direction cannot be placed by any drawing; leave
  // the component to the built-in builders before anything is drawn.
  if (!m_symbol || m_symbol->Start() == m_symbol->End()) return false;

  const long code = Base::ItemCode(info);
  const std::vector<std::string> chain = ChainPointNames(info);
  if (IsInlineCode(code) || chain == std::vector<std::string>{"Run_1", "Run_2"})
    return DrawInline(info, gb);
  if (IsCentredCode(code) ||
      chain == std::vector<std::string>{"Run_1", "Centre_1", "Centre_2", "Run_2"})
    return DrawCentred(info, gb);
  if (code == kPointItemCode) return DrawPoint(info, gb);
  const std::vector<std::string> points = PointNames(info.Component());
  if (points.size() == 1 && points.front() == "Centre_1") return DrawPoint(info, gb);
  return DrawPerLeg(info, gb);
}

bool CSkeldaSymbolCSSGB::Reversed(long orient, const CComponentInfo& info, IKeltoPoint* a,
                                  IKeltoPoint* b) {
  const bool aInternal = kelto::solid::IsInternal(a);
  const bool bInternal = kelto::solid::IsInternal(b);
  if (aInternal || bInternal) return !bInternal;
  switch (orient) {
    case 1:
      return FlowIsOne(info);
    case 2:
      // Compared in millimetres, so an inch end and a millimetre end of the
      // same component still compare by size.
      return BoreInMillimetres(a) < BoreInMillimetres(b);
    case 3:
      return EndTypeHasFlange(b);
    default:
      return false;
  }
}

void CSkeldaSymbolCSSGB::OwnBasis(const CSkeldaSymbol& symbol, CVector2& e1, CVector2& e2) {
  e1 = symbol.End() - symbol.Start();
  if (e1 == CVector2()) throw CSkeldaSymbol::BadCoordSpace{};
  const double w = symbol.Width();
  e2 = w > 0.0 ? symbol.Normal() * w : symbol.Normal();
}

CSymbolFrame CSkeldaSymbolCSSGB::FitFrame(const CSkeldaSymbol& symbol, CPoint3 p1, CPoint3 p2,
                                          double h, bool reversed, IFGraphicsBuilder& gb) {
  if (reversed) std::swap(p1, p2);
  CVector2 e1, e2;
  OwnBasis(symbol, e1, e2);
  const CVector3 x = p2 - p1;
  const CVector3 y = PlanarPerpendicular(x, gb).Normalised() * h;
  return CSymbolFrame(symbol.Start(), e1, e2, p1, x, y);
}

void CSkeldaSymbolCSSGB::DrawInstructions(const CSkeldaSymbol& symbol, const CSymbolFrame& frame,
                                          IFGraphicsBuilder& gb) {
  std::optional<CPoint3> pen;
  for (const CSkeldaSymbol::Instruction& i : symbol.instructions) {
    if (i.code == CSkeldaSymbol::kMoveTo) {
      pen = frame.Map(i.point);
    } else if (i.code == CSkeldaSymbol::kPlotTo) {
      const CPoint3 to = frame.Map(i.point);
      // A pen that was never put down starts here rather than drawing a
      // stray line from the world origin.
      if (pen) gb.Line(*pen, to);
      pen = to;
    }
  }
}

bool CSkeldaSymbolCSSGB::DrawInline(const CComponentInfo& info, IFGraphicsBuilder& gb) const {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> a = kelto::solid::FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> b = kelto::solid::FindPoint(component, u"Run_2");
  if (!a || !b || kelto::solid::IsInternal(a.Get()) || kelto::solid::IsInternal(b.Get()))
    return false;
  CEndData e1, e2;
  info.EndData(a.Get(), b.Get(), e1, e2);
  if (Base::SamePoint(e1.position, e2.position)) return false;

  const bool flange = IsFlange(info);
  DrawEnds(flange, gb, e1, e2);
  const Stretch s = StretchOf(flange, e1, e2);
  const CSymbolFrame frame = FitFrame(*m_symbol, s.p1, s.p2, s.size,
                                      Reversed(m_symbol->Orient, info, a.Get(), b.Get()), gb);
  DrawInstructions(*m_symbol, frame, gb);
  DrawSpindleSymbol(info, gb, frame, e1, e2);
  Base::DrawLegSet(info, gb, Base::OtherLegs(info));
  return true;
}

bool CSkeldaSymbolCSSGB::DrawCentred(const CComponentInfo& info, IFGraphicsBuilder& gb) const {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> a = kelto::solid::FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> b = kelto::solid::FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> c = kelto::solid::FindPoint(component, u"Centre_2");
  const ComPtr<IKeltoPoint> d = kelto::solid::FindPoint(component, u"Run_2");
  if (!a || !b || !c || !d || kelto::solid::IsInternal(a.Get()) ||
      kelto::solid::IsInternal(d.Get()))
    return false;
  // Each run end is measured towards its own centre, so that its flange face
  // stays on its pipe's axis when the two halves are offset.
  CEndData e1, e2, unused;
  info.EndData(a.Get(), b.Get(), e1, unused);
  info.EndData(d.Get(), c.Get(), e2, unused);
  const bool flange = IsFlange(info);
  const Stretch s = StretchOf(flange, e1, e2);
  const CPoint3 pb = kelto::solid::PositionOf(b.Get());
  const CPoint3 pc = kelto::solid::PositionOf(c.Get());
  const bool reversed = Reversed(m_symbol->Orient, info, a.Get(), d.Get());

  // The run halves together, the centre span, and how far the span stands
  // off the run axis.
  const CVector3 run = (s.p2 - s.p1) - (pc - pb);
  const CVector3 span = pc - pb;
  const CVector3 u = run.Normalised();
  const double k = u.Dot(span);
  const double offset = u.Cross(span).Length();
  const CVector3 across = run.Cross(span).Cross(u).Normalised();
  CVector3 x = run + k * u;
  CVector3 y = offset * across;
  CPoint3 origin = s.p1;
  if (reversed) {
    origin = s.p2;
    x = -x;
    y = -y;
  }
  // A run with no length along it (a return bend, whose ends sit side by
  // side) has no direction to stretch along: trace it leg by leg instead.
  // Lengths below the point tolerance are rounding, not geometry.
  if (run.Length() < Base::kPointTolerance || x.Length() < Base::kPointTolerance)
    return DrawPerLeg(info, gb);
  const CPoint2 start = m_symbol->Start();
  const CPoint2 end = m_symbol->End();
  const double extent = (end - start).Length();
  const bool usable = std::fabs(end.x - start.x) > kFlatSymbol * extent &&
                      std::fabs(end.y - start.y) > kFlatSymbol * extent &&
                      offset >= Base::kPointTolerance;

  std::optional<CSymbolFrame> frame;
  if (usable) {
    frame.emplace(start, CVector2(end.x - start.x, 0.0), CVector2(0.0, end.y - start.y), origin, x,
                  y);
  } else if (!Base::SamePoint(s.p1, s.p2)) {
    // No frame through the centres: stretch the symbol straight between the
    // run's two ends as the in-line drawing would.
    frame.emplace(FitFrame(*m_symbol, s.p1, s.p2, s.size, reversed, gb));
  } else {
    return DrawPerLeg(info, gb);
  }
  DrawEnds(flange, gb, e1, e2);
  DrawInstructions(*m_symbol, *frame, gb);
  DrawSpindleSymbol(info, gb, *frame, e1, e2);
  Base::DrawLegSet(info, gb, Base::OtherLegs(info));
  return true;
}

bool CSkeldaSymbolCSSGB::DrawPoint(const CComponentInfo& info, IFGraphicsBuilder& gb) const {
  const ComPtr<IKeltoPoint> p = kelto::solid::FindPoint(info.Component(), u"Centre_1");
  if (!p) return false;
  const CPoint3 c = kelto::solid::PositionOf(p.Get());
  const double bore = kelto::solid::BoreOf(p.Get());
  const double s = (bore > 0.0 ? bore : 1.0) *
                   Base::BoreFactor(kelto::solid::BoreUnitsOf(p.Get())) * kPointSymbolScale;

  // The symbol normalised to unit length and width about its start.
  const CVector2 e1 = m_symbol->Axis() * m_symbol->Length();
  const double w = m_symbol->Width();
  const CVector2 e2 = w > 0.0 ? m_symbol->Normal() * w : m_symbol->Normal();
  const CPoint2 o = m_symbol->Start();

  if (m_symbol->placement == 3) {
    const CVector3 ex(s, 0, 0), ey(0, s, 0), ez(0, 0, s);
    for (const auto& [x, y] : {std::pair{ex, ey}, std::pair{ey, ez}, std::pair{ez, ex}})
      DrawInstructions(*m_symbol, CSymbolFrame(o, e1, e2, c, x, y), gb);
    return true;
  }

  CVector3 along = Base::SupportDirection(info, c);
  if (along == CVector3()) along = CVector3(1, 0, 0);
  along = along.Normalised();
  CVector3 x = along * s;
  CVector3 face = info.GetDirectionAttribute(u"SUPPORT-DIRECTION");
  if (face == CVector3()) face = info.GetDirectionAttribute(u"DIAL-FACE-DIRECTION");
  if (face == CVector3()) face = info.GetDirectionAttribute(u"PLATE-DIRECTION");
  CVector3 y;
  if (face != CVector3() && !Base::NearlyParallel(along, face) && m_symbol->placement != 1) {
    // The part of the face direction across the support direction.
    y = along.Cross(face.Cross(along)) * s;
  } else {
    y = PlanarPerpendicular(x, gb);
  }
  if (m_symbol->placement == 2) std::swap(x, y);
  gb.CentreMark(c, s);
  DrawInstructions(*m_symbol, CSymbolFrame(o, e1, e2, c, x, y), gb);
  return true;
}

bool CSkeldaSymbolCSSGB::DrawPerLeg(const CComponentInfo& info, IFGraphicsBuilder& gb) const {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoLegs> legs = kelto::solid::LegsOf(component);
  const long count = kelto::solid::CountOf(legs.Get());
  if (count == 0) return false;
  const bool flange = IsFlange(info);
  struct Last {
    CSymbolFrame frame;
    CEndData e1, e2;
  };
  std::optional<Last> last;
  for (long i = 0; i < count; ++i) {
    const ComPtr<IKeltoLeg> leg = kelto::solid::LegAt(legs.Get(), i);
    const kelto::solid::LegPoints points = kelto::solid::PointsOf(component, leg.Get());
    Require(points.from);
    Require(points.to);
    CEndData e1, e2;
    info.EndData(points.from.Get(), points.to.Get(), e1, e2);
    if (Base::SamePoint(e1.position, e2.position)) continue;
    DrawEnds(flange, gb, e1, e2);
    const Stretch s = StretchOf(flange, e1, e2);
    const bool reversed = Reversed(m_symbol->Orient, info, points.from.Get(), points.to.Get());
    const CSymbolFrame frame = FitFrame(*m_symbol, s.p1, s.p2, s.size, reversed, gb);
    DrawInstructions(*m_symbol, frame, gb);
    last.emplace(Last{frame, e1, e2});
  }
  // Without a drawn leg there is no frame to place a spindle in.
  if (last) DrawSpindleSymbol(info, gb, last->frame, last->e1, last->e2);
  return true;
}

void CSkeldaSymbolCSSGB::DrawSpindleSymbol(const CComponentInfo& info, IFGraphicsBuilder& gb,
                                           const CSymbolFrame& frame, const CEndData& e1,
                                           const CEndData& e2) const {
  if (!m_spindle || !m_symbol->HasSpindlePosition()) return;
  // A spindle symbol without a run direction has no way up; leave it out.
  if (m_spindle->Start() == m_spindle->End()) return;
  const CVector3 d = info.GetDirectionAttribute(u"SPINDLE-DIRECTION");
  if (d.Length() == 0.0) return;

  const CPoint3 t = frame.Map(m_symbol->SpindlePoint());
  const double m = std::max(e1.flangeOD, e2.flangeOD);
  const CVector3 axis = e2.face - e1.face;
  const double stem = m / 2.0;
  const double l = m > axis.Length() ? axis.Length() / 2.0 : m / 2.0;
  const CVector3 p =
      (axis.Length() == 0.0 || Base::NearlyParallel(axis, d)) ? gb.Perpendicular(d) : axis;
  CVector2 s1, s2;
  OwnBasis(*m_spindle, s1, s2);
  DrawInstructions(
      *m_spindle,
      CSymbolFrame(m_spindle->Start(), s1, s2, t, d.Normalised() * stem, p.Normalised() * l), gb);
}
