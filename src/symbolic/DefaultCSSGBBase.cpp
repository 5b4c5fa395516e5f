#include "symbolic/DefaultCSSGBBase.h"

#include <cmath>
#include <deque>
#include <map>
#include <numbers>
#include <optional>
#include <string>

#include "platform/com/ComError.h"
#include "platform/com/Strings.h"
#include "solid/ComponentInfo.h"
#include "solid/ConstructionFunctions.h"
#include "solid/PipingAccess.h"
#include "symbolic/SymbolFrame.h"

using namespace kelto::solid;

namespace {
// A support standing on a leg's segment needs look no further.
constexpr double kOnSegment = 1e-08;

std::u16string NameText(const _bstr_t& name) {
  return std::u16string(kelto::com::BstrView(name.GetBSTR()));
}
}  // namespace

bool CDefaultCSSGBBase::SamePoint(const CPoint3& a, const CPoint3& b) {
  return a.IsEqual(b, kPointTolerance);
}

bool CDefaultCSSGBBase::NearlyParallel(const CVector3& a, const CVector3& b, double angle) {
  if (a.IsZero() || b.IsZero()) return false;
  // atan2 of the cross and dot products stays accurate near 0 and π, where
  // acos of the cosine loses most of its digits.
  const double between = std::atan2(a.Cross(b).Length(), a.Dot(b));
  return between <= angle || between >= std::numbers::pi - angle;
}

double CDefaultCSSGBBase::BoreFactor(long boreUnits) {
  return boreUnits == 1 ? kMillimetresPerInch : 1.0;
}

void CDefaultCSSGBBase::DrawBox(IFGraphicsBuilder& gb, const CPoint3& a, const CPoint3& b,
                                double size, const CVector3& hint) {
  const CVector3 u = b - a;
  const CVector3 across = hint.IsZero() ? PlanarPerpendicular(u, gb) : hint;
  const CSymbolFrame f(a, u, across.Normalised() * (size / 2.0));
  gb.Line(f.Map(0, 1), f.Map(0, -1));
  gb.Line(f.Map(1, 1), f.Map(0, 1));
  gb.Line(f.Map(1, -1), f.Map(1, 1));
  gb.Line(f.Map(0, -1), f.Map(1, -1));
}

void CDefaultCSSGBBase::DrawFlangeBoxes(IFGraphicsBuilder& gb, const CEndData& e1,
                                        const CEndData& e2, const CVector3& hint) {
  if (e1.flanged) DrawBox(gb, e1.position, e1.face, e1.flangeOD, hint);
  if (e2.flanged) DrawBox(gb, e2.position, e2.face, e2.flangeOD, hint);
}

void CDefaultCSSGBBase::DrawLeg(const CComponentInfo& info, IFGraphicsBuilder& gb, IKeltoLeg* leg) {
  const LegPoints points = PointsOf(info.Component(), Require(leg));
  CEndData e1, e2;
  info.EndData(Require(points.from), Require(points.to), e1, e2);
  if (SamePoint(e1.position, e2.position)) return;
  if (e1.flanged) DrawBox(gb, e1.position, e1.face, e1.flangeOD, CVector3());
  gb.Line(e1.face, e2.face);
  if (e2.flanged) DrawBox(gb, e2.position, e2.face, e2.flangeOD, CVector3());
}

void CDefaultCSSGBBase::DrawLegSet(const CComponentInfo& info, IFGraphicsBuilder& gb,
                                   const LegList& legs) {
  for (const LegPtr& leg : legs) DrawLeg(info, gb, leg.Get());
}

CDefaultCSSGBBase::LegList CDefaultCSSGBBase::RunChain(const CComponentInfo& info) {
  IKeltoComponent* component = info.Component();
  if (!FindPoint(component, u"Run_1") || !FindPoint(component, u"Run_2")) return {};

  struct Edge {
    std::u16string from;
    std::u16string to;
  };
  const ComPtr<IKeltoLegs> legs = LegsOf(component);
  const long count = CountOf(legs.Get());
  LegList all;
  std::vector<Edge> edges;
  for (long i = 0; i < count; ++i) {
    all.push_back(LegAt(legs.Get(), i));
    edges.push_back(
        {NameText(FromPointName(all.back().Get())), NameText(ToPointName(all.back().Get()))});
  }

  // Breadth-first from Run_1, legs tried in index order: the first time a
  // point is reached is along a chain of fewest legs, and of equally short
  // chains the one met first (lowest leg indices nearest Run_1) wins.
  const std::u16string start = u"Run_1", goal = u"Run_2";
  std::map<std::u16string, long> reachedBy{{start, -1}};
  std::deque<std::u16string> frontier{start};
  while (!frontier.empty() && !reachedBy.count(goal)) {
    const std::u16string point = frontier.front();
    frontier.pop_front();
    for (long i = 0; i < count; ++i) {
      if (edges[i].from != point || reachedBy.count(edges[i].to)) continue;
      reachedBy.emplace(edges[i].to, i);
      frontier.push_back(edges[i].to);
    }
  }
  if (!reachedBy.count(goal)) return {};

  LegList chain;
  for (std::u16string point = goal; point != start;) {
    const long i = reachedBy.at(point);
    chain.insert(chain.begin(), all[i]);
    point = edges[i].from;
  }
  return chain;
}

CDefaultCSSGBBase::LegList CDefaultCSSGBBase::OtherLegs(const CComponentInfo& info) {
  const LegList chain = RunChain(info);
  const ComPtr<IKeltoLegs> legs = LegsOf(info.Component());
  const long count = CountOf(legs.Get());
  LegList others;
  for (long i = 0; i < count; ++i) {
    LegPtr leg = LegAt(legs.Get(), i);
    bool onChain = false;
    for (const LegPtr& c : chain) onChain = onChain || c.Get() == leg.Get();
    if (!onChain) others.push_back(std::move(leg));
  }
  return others;
}

void CDefaultCSSGBBase::DrawSpindle(const CComponentInfo& info, IFGraphicsBuilder& gb,
                                    const CPoint3& c, const CVector3& axis, double w, double l) {
  const CVector3 d = info.GetDirectionAttribute(u"SPINDLE-DIRECTION");
  if (d.IsZero()) return;
  // The hand wheel lies along the valve's axis; an axis that gives no
  // direction across the stem is replaced by one that does.
  const CVector3 p = (axis.IsZero() || NearlyParallel(axis, d)) ? PlanarPerpendicular(d, gb) : axis;
  const CSymbolFrame f(c, d.Normalised() * w, p.Normalised() * l);
  gb.Line(f.Map(1, 0), f.Map(0, 0));
  gb.Line(f.Map(1, 1), f.Map(1, -1));
}

CVector3 CDefaultCSSGBBase::SupportDirection(const CComponentInfo& info, const CPoint3& point) {
  IKeltoComponent* component = info.Component();
  LONG attachments = 0;
  kelto::com::ThrowIfFailed(component->get_AttachmentCount(&attachments),
                            kelto::com::IidOf<IKeltoComponent>());
  std::optional<NearestLegResult> best;
  for (LONG i = 0; i < attachments; ++i) {
    const CComponentInfo::Ptr attached = info.Attached(i);
    if (!attached) continue;
    auto nearest = NearestLeg(attached->Component(), point, true);
    if (nearest && (!best || nearest->distance < best->distance)) best = std::move(nearest);
    if (best && best->distance < kOnSegment) break;
  }
  return best ? DirectionOf(best->leg.Get()) : CVector3();
}

bool CDefaultCSSGBBase::RunEnds(const CComponentInfo& info, CEndData& e1, CEndData& e2) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> pa = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> pb = FindPoint(component, u"Run_2");
  if (!pa || !pb || IsInternal(pa.Get()) || IsInternal(pb.Get())) return false;
  if (SamePoint(PositionOf(pa.Get()), PositionOf(pb.Get()))) return false;
  info.EndData(pa.Get(), pb.Get(), e1, e2);
  return true;
}

long CDefaultCSSGBBase::ItemCode(const CComponentInfo& info) {
  IKeltoItem* details = info.Details();
  if (!details) return 0;
  LONG code = 0;
  kelto::com::ThrowIfFailed(details->get_ItemCode(&code), kelto::com::IidOf<IKeltoItem>());
  return code;
}

std::optional<CDefaultCSSGBBase::RunSymbol> CDefaultCSSGBBase::BeginRunSymbol(
    const CComponentInfo& info, IFGraphicsBuilder& gb) {
  CEndData e1, e2;
  if (!RunEnds(info, e1, e2)) return std::nullopt;
  DrawFlangeBoxes(gb, e1, e2);
  const CVector3 x = e2.face - e1.face;
  return RunSymbol{CSymbolFrame(e1.face, x, PlanarPerpendicular(x, gb).Normalised()),
                   e1.pipeOD / 2.0, e2.pipeOD / 2.0};
}

void CDefaultCSSGBBase::DrawRunOutline(IFGraphicsBuilder& gb, const RunSymbol& s) {
  const CSymbolFrame& f = s.frame;
  gb.Line(f.Map(0, s.a), f.Map(0, -s.a));
  gb.Line(f.Map(1, s.b), f.Map(0, s.a));
  gb.Line(f.Map(1, -s.b), f.Map(1, s.b));
  gb.Line(f.Map(0, -s.a), f.Map(1, -s.b));
}
