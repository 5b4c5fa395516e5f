// What a PCF pipeline leaves to the reader once all its components are
// known: the direction of zero-length items and what supports stand on.
#include <cmath>
#include <limits>

#include "kelto/data/PcfBlock.h"

namespace kelto::data {

namespace {

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The unit direction of a leg of another component that touches `at` through
// one of its ends and has a length.
std::optional<Vec3> LineDirectionAt(const DraftPipeline& pipeline, const DraftComponent& self,
                                    const Vec3& at) {
  for (const DraftComponent& c : pipeline.components) {
    if (&c == &self) continue;
    for (const DraftLeg& leg : c.legs) {
      const DraftPoint& from = c.points[leg.from];
      const DraftPoint& to = c.points[leg.to];
      const bool touches = (!from.internal && Coincident(from.position, at)) ||
                           (!to.internal && Coincident(to.position, at));
      const Vec3 span = to.position - from.position;
      const double length = span.Length();
      if (touches && length > 0) return Vec3{span.x / length, span.y / length, span.z / length};
    }
  }
  return std::nullopt;
}

// Distance from p to the segment a-b, and whether p falls strictly inside it.
double SegmentDistance(const Vec3& p, const Vec3& a, const Vec3& b, bool& inside) {
  const Vec3 ab = b - a;
  const double l2 = Dot(ab, ab);
  double t = l2 > 0 ? Dot(p - a, ab) / l2 : 0.0;
  inside = t > 0.0 && t < 1.0;
  t = std::fmax(0.0, std::fmin(1.0, t));
  return (p - (a + ab * t)).Length();
}

double BoreMm(const DraftPoint& p) { return p.boreUnits == kBoreInch ? p.bore * 25.4 : p.bore; }

}  // namespace

void CompletePcfPipeline(DraftPipeline& pipeline, std::vector<PcfProblem>& warnings) {
  for (DraftComponent& c : pipeline.components) {
    for (DraftLeg& leg : c.legs) {
      const DraftPoint& from = c.points[leg.from];
      if (leg.direction || !Coincident(from.position, c.points[leg.to].position)) continue;
      leg.direction = LineDirectionAt(pipeline, c, from.position);
    }
  }
  for (DraftComponent& s : pipeline.components) {
    if (s.type != "Support" || !s.attachments.empty() || s.points.empty()) continue;
    const DraftPoint& at = s.points.front();
    // A support stands on the centre line, or on the bottom of the pipe.
    const double reach = std::fmax(1.0, 0.75 * BoreMm(at));
    const DraftComponent* best = nullptr;
    double bestDistance = std::numeric_limits<double>::infinity();
    bool bestInside = false;
    for (const DraftComponent& c : pipeline.components) {
      if (&c == &s) continue;
      for (const DraftLeg& leg : c.legs) {
        bool inside = false;
        const double d =
            SegmentDistance(at.position, c.points[leg.from].position, c.points[leg.to].position,
                            inside);
        // At a joint, the item the support is inside of wins over the one
        // it only touches the end of.
        const bool better = d < bestDistance - 1e-9 ||
                            (d < bestDistance + 1e-9 && inside && !bestInside);
        if (d <= reach && better) {
          best = &c;
          bestDistance = d;
          bestInside = inside;
        }
      }
    }
    if (best)
      s.attachments.push_back(best->id);
    else
      warnings.push_back({s.line, "SUPPORT", "stands on no component of its pipeline"});
  }
}

}  // namespace kelto::data
