// One PCF component block into a component: its type from the identifier, the
// SKEY and the geometry, its points and legs by the layout of its type.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelto/data/Catalogue.h"
#include "kelto/data/Limits.h"
#include "kelto/data/PcfBlock.h"
#include "kelto/data/PcfTypes.h"

namespace kelto::data {

namespace {

constexpr double kInch = 25.4;

struct PointLine {
  std::string keyword;
  std::size_t line = 0;
  Vec3 position;
  std::optional<double> bore;
  std::string endType;
};

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

// A number at the start of `token`; `rest` gets what follows it (a bore
// written "6BW" carries its end connection).
std::optional<double> LeadingNumber(std::string_view token, std::string_view& rest) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end == token.data()) return std::nullopt;
  rest = token.substr(static_cast<std::size_t>(end - token.data()));
  return v;
}

[[noreturn]] void Problem(const PcfLine& l, std::string text) {
  throw PcfProblem{l.number, l.keyword, std::move(text)};
}

double Coordinate(const PcfLine& l, std::string_view token, double scale) {
  std::string_view rest;
  const auto v = LeadingNumber(token, rest);
  if (!v || !rest.empty())
    Problem(l, "expected x y z [bore [end connection]], found \"" + l.value + "\"");
  const double mm = *v * scale;
  if (!std::isfinite(mm) || std::fabs(mm) > limits::kMaxCoordinate)
    Problem(l, "coordinate " + std::string(token) + " is beyond the limit of 1e9 mm");
  return mm;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return out;
}

PointLine ParsePoint(const PcfLine& l, const PcfUnits& units) {
  const auto t = Tokens(l.value);
  if (t.size() < 3) Problem(l, "expected x y z [bore [end connection]], found \"" + l.value + "\"");
  PointLine p;
  p.keyword = l.keyword;
  p.line = l.number;
  p.position = {Coordinate(l, t[0], units.coordinateScale),
                Coordinate(l, t[1], units.coordinateScale),
                Coordinate(l, t[2], units.coordinateScale)};
  if (t.size() >= 4) {
    std::string_view rest;
    const auto bore = LeadingNumber(t[3], rest);
    if (!bore) Problem(l, "expected a bore after x y z, found \"" + std::string(t[3]) + "\"");
    const double b = *bore * units.boreScale;
    if (!(b >= 0.0) || b > limits::kMaxBore)
      Problem(l, "bore " + std::string(t[3]) + " is outside 0 to 100000");
    p.bore = b;
    // End connections are compared in upper case ("FL..." is flanged).
    p.endType = Upper(rest.empty() && t.size() >= 5 ? t[4] : rest);
    if (p.endType.size() > limits::kMaxNameBytes) Problem(l, "the end connection is too long");
  }
  return p;
}

bool IsPointKeyword(std::string_view k) {
  return k == "END-POINT" || k == "CENTRE-POINT" || k == "CENTER-POINT" || k == "CO-ORDS" ||
         k == "BRANCH1-POINT" || k == "BRANCH2-POINT" || k == "BRANCH3-POINT";
}

bool IsDirectionAttribute(std::string_view k) {
  return k.size() > 10 && k.substr(k.size() - 10) == "-DIRECTION";
}


double BoreMm(const DraftPoint& p) { return p.boreUnits == kBoreInch ? p.bore * kInch : p.bore; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The layout of the block's points: names in the order of their lines, the
// checks of the shape, and the centres PCF leaves to the reader.
class PointBuilder {
 public:
  PointBuilder(const PcfBlock& block, const PcfUnits& units, std::vector<PointLine> lines)
      : block_(block), units_(units), lines_(std::move(lines)) {}

  std::size_t Count(std::string_view keyword) const {
    return static_cast<std::size_t>(std::count_if(
        lines_.begin(), lines_.end(), [&](const PointLine& p) { return p.keyword == keyword; }));
  }

  void Require(std::string_view keyword, std::size_t least, std::size_t most) const {
    const std::size_t n = Count(keyword);
    if (n >= least && n <= most) return;
    std::string want = least == most ? std::to_string(least)
                                     : std::to_string(least) + " to " + std::to_string(most);
    Problem(block_.head, block_.head.spelled + " needs " + want + " " + std::string(keyword) +
                             " line" + (most == 1 ? "" : "s") + ", found " + std::to_string(n));
  }

  void Name(PcfShape shape, std::vector<DraftPoint>& points) const {
    int ends = 0;
    int centres = 0;
    for (const PointLine& l : lines_) {
      DraftPoint p;
      p.position = l.position;
      p.endType = l.endType;
      p.boreUnits = units_.boreUnits;
      if (l.keyword == "END-POINT") {
        ++ends;
        const bool face = shape == PcfShape::kClosed && ends == 2;
        p.name = face ? "Centre_1" : "Run_" + std::to_string(ends);
        p.internal = face;
      } else if (l.keyword == "CENTRE-POINT" || l.keyword == "CO-ORDS") {
        if (l.keyword == "CO-ORDS" && Count("CENTRE-POINT") > 0) continue;
        p.name = "Centre_" + std::to_string(++centres);
        p.internal = true;
      } else {
        p.name = "End_" + std::string(1, l.keyword[6]);  // BRANCHn-POINT
      }
      if (p.internal) p.endType.clear();
      p.bore = l.bore.value_or(-1.0);
      for (const DraftPoint& q : points)
        if (q.name == p.name)
          throw PcfProblem{l.line, l.keyword, "a second " + l.keyword + " of this component"};
      points.push_back(std::move(p));
    }
    // A centre without a bore has the bore of the run end before it; an end
    // without one has none.
    const DraftPoint* run = nullptr;
    for (DraftPoint& p : points) {
      const bool centre = p.name.rfind("Centre_", 0) == 0;
      if (p.bore < 0.0) {
        p.bore = centre && run ? run->bore : 0.0;
        if (centre && run) p.boreUnits = run->boreUnits;
      }
      if (p.name.rfind("Run_", 0) == 0) run = &p;
    }
  }

 private:
  const PcfBlock& block_;
  const PcfUnits& units_;
  std::vector<PointLine> lines_;
};

DraftPoint* Find(std::vector<DraftPoint>& points, std::string_view name) {
  for (DraftPoint& p : points)
    if (p.name == name) return &p;
  return nullptr;
}

// Puts the computed points where the layout wants them: run, centres, run,
// branches.
void Reorder(std::vector<DraftPoint>& points) {
  static constexpr std::string_view kOrder[] = {"Run_1", "Centre_1", "Centre_2", "Run_2"};
  std::stable_sort(points.begin(), points.end(), [](const DraftPoint& a, const DraftPoint& b) {
    auto rank = [](const std::string& n) {
      for (std::size_t i = 0; i < 4; ++i)
        if (n == kOrder[i]) return i;
      return std::size_t{4};
    };
    return rank(a.name) < rank(b.name);
  });
}

DraftPoint Centre(const DraftPoint& like, const Vec3& position, std::string name) {
  DraftPoint p = like;
  p.position = position;
  p.name = std::move(name);
  p.internal = true;
  p.endType.clear();
  return p;
}

// Legs: along the run through its centres, then from the first centre (or
// the first run end) to each branch end.
void AddLegs(DraftComponent& c) {
  auto index = [&](std::string_view name) -> int {
    for (std::size_t i = 0; i < c.points.size(); ++i)
      if (c.points[i].name == name) return static_cast<int>(i);
    return -1;
  };
  int previous = -1;
  for (std::string_view name : {"Run_1", "Centre_1", "Centre_2", "Run_2"}) {
    const int i = index(name);
    if (i < 0) continue;
    if (previous >= 0)
      c.legs.push_back({static_cast<std::uint16_t>(previous), static_cast<std::uint16_t>(i), {}});
    previous = i;
  }
  const int hub = index("Centre_1") >= 0 ? index("Centre_1") : index("Run_1");
  if (hub < 0) return;
  for (std::size_t i = 0; i < c.points.size(); ++i)
    if (c.points[i].name.rfind("End_", 0) == 0)
      c.legs.push_back({static_cast<std::uint16_t>(hub), static_cast<std::uint16_t>(i), {}});
}

}  // namespace

void CheckPcfText(const PcfLine& line, std::size_t nameLimit, std::size_t valueLimit) {
  if (line.keyword.size() > nameLimit)
    Problem(line, "keyword of " + std::to_string(line.keyword.size()) +
                      " bytes is longer than the limit of " + std::to_string(nameLimit));
  if (line.value.size() > valueLimit)
    Problem(line, "value of " + std::to_string(line.value.size()) +
                      " bytes is longer than the limit of " + std::to_string(valueLimit));
}

DraftComponent BuildPcfComponent(const PcfBlock& block, const PcfUnits& units,
                                 std::vector<PcfProblem>& warnings) {
  DraftComponent c;
  c.line = block.head.number;
  CheckPcfText(block.head, limits::kMaxNameBytes, limits::kMaxValueBytes);
  std::vector<PointLine> pointLines;
  std::string skey;
  std::optional<double> angle;
  for (const PcfLine& l : block.lines) {
    if (IsPointKeyword(l.keyword)) {
      if (pointLines.size() >= limits::kMaxPoints) Problem(l, "too many points (the limit is 64)");
      pointLines.push_back(ParsePoint(l, units));
      if (l.keyword == "CENTER-POINT") pointLines.back().keyword = "CENTRE-POINT";
      continue;
    }
    CheckPcfText(l, limits::kMaxNameBytes, limits::kMaxValueBytes);
    if (l.keyword == "SKEY") {
      skey = Upper(l.value);
    } else if (l.keyword == "UNIQUE-COMPONENT-IDENTIFIER") {
      if (l.value.size() > limits::kMaxNameBytes) Problem(l, "the identifier is too long");
      c.id = l.value;
    } else if (l.keyword == "ANGLE") {
      std::string_view rest;
      const auto v = LeadingNumber(l.value, rest);
      if (!v || !rest.empty() || !(*v >= 0.0) || *v > 36000.0)
        Problem(l, "expected an angle in degrees or hundredths of a degree, found \"" +
                       l.value + "\"");
      // Bends turn at most 180 degrees, so a larger number counts hundredths.
      angle = *v > 180.0 ? *v / 100.0 : *v;
    }
    if (l.keyword == "SKEY" || l.keyword == "UNIQUE-COMPONENT-IDENTIFIER") continue;
    {
      const bool seen = std::any_of(c.attributes.begin(), c.attributes.end(),
                                    [&](const auto& a) { return a.first == l.keyword; });
      if (seen) {
        warnings.push_back({l.number, l.keyword, "given again; the first value is kept"});
        continue;
      }
      if (c.attributes.size() >= limits::kMaxAttributes)
        Problem(l, "too many attributes (the limit is 1024)");
      c.attributes.emplace_back(l.keyword,
                                IsDirectionAttribute(l.keyword) ? Upper(l.value) : l.value);
    }
  }

  const PcfIdentifier* ident = FindPcfIdentifier(block.head.keyword);
  const PcfTypeRow* row = ident ? FindPcfRowBySkey(ident->name, skey) : nullptr;
  const bool skeyKnown = row != nullptr;
  if (ident && !row) row = FindPcfRowByType(ident->defaultType);
  PcfShape shape = row ? row->shape : PcfShape::kGeneric;
  std::string type = row ? std::string(row->type) : block.head.spelled;
  if (!ident)
    warnings.push_back({block.head.number, block.head.spelled,
                        "component type not known; kept and drawn from its legs"});
  if (shape == PcfShape::kBend && angle && *angle >= 179.5) {
    shape = PcfShape::kReturn;
    type = ident->name == "BEND" ? "ReturnBend" : "ReturnElbow";
  }

  PointBuilder builder(block, units, std::move(pointLines));
  using S = PcfShape;
  switch (shape) {
    case S::kRun:
    case S::kEccentric:
      builder.Require("END-POINT", 2, 2);
      builder.Require("CENTRE-POINT", 0, 1);
      break;
    case S::kBend:
    case S::kReturn:
    case S::kAngle:
      builder.Require("END-POINT", 2, 2);
      builder.Require("CENTRE-POINT", 1, 1);
      break;
    case S::kTee:
    case S::kTeedEccentric:
    case S::kCross:
    case S::kMultiway:
      builder.Require("END-POINT", 2, 2);
      builder.Require("CENTRE-POINT", 0, 1);
      builder.Require("BRANCH1-POINT", 1, 1);
      builder.Require("BRANCH2-POINT", shape == S::kCross ? 1 : 0,
                      shape == S::kCross || shape == S::kMultiway ? 1 : 0);
      builder.Require("BRANCH3-POINT", 0, shape == S::kMultiway ? 1 : 0);
      break;
    case S::kClosed:
      builder.Require("END-POINT", 1, 2);
      builder.Require("CENTRE-POINT", 0, builder.Count("END-POINT") == 2 ? 0 : 1);
      break;
    case S::kSupport:
      if (builder.Count("CENTRE-POINT") + builder.Count("CO-ORDS") != 1)
        Problem(block.head, block.head.spelled + " needs one CO-ORDS line");
      builder.Require("END-POINT", 0, 0);
      break;
    case S::kOlet:
      builder.Require("CENTRE-POINT", 1, 1);
      builder.Require("BRANCH1-POINT", 1, 1);
      break;
    case S::kNone:
    case S::kGeneric:
      break;
  }
  builder.Name(shape, c.points);

  DraftPoint* r1 = Find(c.points, "Run_1");
  DraftPoint* r2 = Find(c.points, "Run_2");
  DraftPoint* c1 = Find(c.points, "Centre_1");
  const DraftPoint* e1 = Find(c.points, "End_1");
  if (shape == S::kBend) {
    const Vec3 in = c1->position - r1->position;
    const Vec3 out = r2->position - c1->position;
    double degrees = angle.value_or(90.0);
    bool vertical = false;
    if (in.Length() > 0 && out.Length() > 0) {
      const double cosine = std::clamp(Dot(in, out) / (in.Length() * out.Length()), -1.0, 1.0);
      degrees = std::acos(cosine) * 180.0 / 3.14159265358979323846;
      const Vec3 normal = Cross(in, out);
      vertical = normal.Length() > 0 && std::fabs(normal.z) / normal.Length() < 0.7071;
    }
    type = BendType(ident->name, degrees, vertical);
  } else if (shape == S::kTee && !skeyKnown && ident->name == "TEE" &&
             BoreMm(*e1) + 1e-9 < BoreMm(*r1)) {
    type = "Reducing-Tee";
  }

  if ((shape == S::kTee || shape == S::kCross || shape == S::kMultiway) && !c1) {
    // The branch meets the run where it crosses the run's axis.
    const Vec3 axis = r2->position - r1->position;
    const double l2 = Dot(axis, axis);
    const double t = l2 > 0 ? Dot(e1->position - r1->position, axis) / l2 : 0.0;
    c.points.push_back(Centre(*r1, r1->position + axis * t, "Centre_1"));
  } else if (shape == S::kClosed && !c1) {
    c.points.push_back(Centre(*r1, r1->position, "Centre_1"));
  } else if (shape == S::kReturn) {
    // The centre line lies midway between the two tangent intersections.
    const Vec3 offset = c1->position - (r1->position + r2->position) * 0.5;
    if (offset.Length() < kCoincidenceTolerance)
      Problem(block.head, "the CENTRE-POINT of a 180-degree bend lies midway between its ends, "
                          "so the side it turns to is unknown");
    const DraftPoint second = Centre(*r2, r2->position + offset, "Centre_2");
    c1->position = r1->position + offset;
    c.points.push_back(second);
    Reorder(c.points);
  } else if (shape == S::kEccentric || shape == S::kTeedEccentric) {
    // The line runs along the axis of the largest difference between the
    // ends; the rest of the difference is the offset between the two axes.
    const Vec3 delta = r2->position - r1->position;
    Vec3 along;
    const double ax = std::fabs(delta.x), ay = std::fabs(delta.y), az = std::fabs(delta.z);
    if (ax >= ay && ax >= az)
      along.x = delta.x;
    else if (ay >= az)
      along.y = delta.y;
    else
      along.z = delta.z;
    const Vec3 first = c1 ? c1->position : r1->position + along * 0.5;
    // Across the line the second centre is where the second end is; taking
    // those coordinates as they are keeps them exact.
    Vec3 second = first;
    for (double Vec3::*k : {&Vec3::x, &Vec3::y, &Vec3::z})
      if (along.*k == 0.0)
        second.*k = first.*k == r1->position.*k ? r2->position.*k : first.*k + delta.*k;
    const DraftPoint centre1 = Centre(*r1, first, "Centre_1");
    const DraftPoint centre2 = Centre(*r2, second, "Centre_2");
    if (c1) c.points.erase(c.points.begin() + (c1 - c.points.data()));
    c.points.push_back(centre1);
    c.points.push_back(centre2);
    Reorder(c.points);
  }
  AddLegs(c);

  c.type = type;
  if (row && !row->group.empty()) {
    c.group = std::string(row->group);
    c.itemCode = row->itemCode;
  } else if (!row) {
    c.group = "Miscellaneous";
    c.itemCode = 0;
  }
  // Supports and components of types the catalogue lacks keep their own
  // symbol; the others draw with the symbol of their type.
  const bool ownSymbol = !row || !row->group.empty() || type == "Support";
  if (ownSymbol && skey.size() == 4) c.symbolKey = skey;
  if (!row || !row->group.empty()) {
    if (!c.symbolKey) c.symbolKey = std::string();
    c.shapeCode = std::string();
  }
  return c;
}

}  // namespace kelto::data
