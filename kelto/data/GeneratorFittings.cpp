// The components and fittings of generated lines, and their text.
#include <algorithm>
#include <array>

#include "kelto/data/GeneratorBuilder.h"
#include "kelto/data/JsonText.h"

namespace kelto::data::generator {

GComp& PlantBuilder::Begin(Draft& d, Turtle& t, std::string_view type) {
  d.comps.emplace_back();
  d.comps.back().type = Type(type);
  if (t.open) ++d.joints;
  return d.comps.back();
}

void PlantBuilder::Pipe(Draft& d, Turtle& t, Int length) {
  GComp& c = Begin(d, t, "Pipe");
  const IVec end = t.pos + Unit(t.dir) * length;
  c.points = {{"Run_1", t.pos, t.size, t.joint}, {"Run_2", end, t.size, t.joint}};
  Leg(c, 0, 1);
  t.pos = end;
  t.open = true;
}

void PlantBuilder::Weld(Draft& d, Turtle& t) {
  const bool field = rng_.Chance(30);
  GComp& c = Begin(d, t, field ? "Field-Weld" : "Weld");
  // Most welds are points; some field welds keep a 2 mm root gap.
  const Int gap = field && rng_.Chance(50) ? 20 : 0;
  const IVec end = t.pos + Unit(t.dir) * gap;
  c.points = {{"Run_1", t.pos, t.size, t.joint}, {"Run_2", end, t.size, t.joint}};
  c.legs.push_back({0, 1, gap == 0, t.dir});
  t.pos = end;
  t.open = true;
}

void PlantBuilder::Flange(Draft& d, Turtle& t, bool faceFirst) {
  GComp& c = Begin(d, t, (flangeCounter_++ % 4 == 3) ? "Slip-On-Flange" : "Flange");
  const IVec end = t.pos + Unit(t.dir) * kSizes[t.size].flange;
  const std::string_view weldEnd = JointFor(t.size);
  c.points = {{"Run_1", t.pos, t.size, faceFirst ? "FL" : weldEnd},
              {"Run_2", end, t.size, faceFirst ? weldEnd : "FL"}};
  Leg(c, 0, 1);
  t.pos = end;
  t.joint = faceFirst ? weldEnd : "FL";
  t.open = true;
}

void PlantBuilder::Gasket(Draft& d, Turtle& t) {
  GComp& c = Begin(d, t, "Gasket");
  const IVec end = t.pos + Unit(t.dir) * 30;
  c.points = {{"Run_1", t.pos, t.size, "FL"}, {"Run_2", end, t.size, "FL"}};
  Leg(c, 0, 1);
  t.pos = end;
  t.joint = "FL";
  t.open = true;
}

void PlantBuilder::Elbow(Draft& d, Turtle& t, std::string_view type, Dir to, Int radius) {
  GComp& c = Begin(d, t, type);
  const IVec corner = t.pos + Unit(t.dir) * radius;
  const IVec end = corner + Unit(to) * radius;
  c.points = {{"Run_1", t.pos, t.size, t.joint},
              {"Centre_1", corner, t.size, "", true},
              {"Run_2", end, t.size, t.joint}};
  Leg(c, 0, 1);
  Leg(c, 1, 2);
  if (type == "PulledBend" || type == "Elbow-NonStandard") c.attributes.push_back({"ANGLE", "90"});
  t.pos = end;
  t.dir = to;
  t.open = true;
}

Dir PlantBuilder::Lateral(const Turtle& t, bool vertical) const {
  if (vertical) return t.pos.z > t.origin.z ? kDown : kUp;
  if (t.home == kNorth || t.home == kSouth) return t.pos.x > t.origin.x ? kWest : kEast;
  return t.pos.y > t.origin.y ? kSouth : kNorth;
}

void PlantBuilder::Build(Draft& d, Turtle& t, Feature f, int v) {
  switch (f) {
    case kBend: {
      static constexpr const char* kTypes[] = {"Elbow-90", "Elbow-90-V", "PulledBend"};
      const char* type = kTypes[v % 3];
      const Dir n = Lateral(t, v % 3 == 1);
      const Int r = v % 3 == 2 ? PulledRadius(t.size) : ElbowRadius(t.size);
      Elbow(d, t, type, n, r);
      Pipe(d, t, rng_.Range(5000, 30000));
      Elbow(d, t, type, t.home, r);
      break;
    }
    case kOffset:
      Offset(d, t, v % 8);
      break;
    case kReturn:
      Return(d, t, v % 2);
      break;
    case kTeedBend: {
      const bool pulled = v % 2 == 0;
      const Int r = pulled ? PulledRadius(t.size) : ElbowRadius(t.size);
      const Dir n = Lateral(t, false);
      GComp& c = Begin(d, t, pulled ? "TeedBend" : "TeedElbow");
      const IVec corner = t.pos + Unit(t.dir) * r;
      const IVec run2 = corner + Unit(n) * r;
      const IVec branch = corner + Unit(t.dir) * r;
      c.points = {{"Run_1", t.pos, t.size, t.joint},
                  {"Centre_1", corner, t.size, "", true},
                  {"Run_2", run2, t.size, t.joint},
                  {"End_1", branch, t.size, t.joint}};
      Leg(c, 0, 1);
      Leg(c, 1, 2);
      Leg(c, 1, 3);
      Stub(d, Turtle{branch, t.dir, t.size, t.inch, t.joint, true, t.origin});
      t.pos = run2;
      t.dir = n;
      Pipe(d, t, rng_.Range(5000, 20000));
      Elbow(d, t, "Elbow-90", t.home, ElbowRadius(t.size));
      break;
    }
    case kTee: {
      const int kind = v % 3;
      // Set-on branches are small-bore drains and vents (screwed ends).
      const int branchSize = kind == 0   ? t.size
                             : kind == 1 ? std::max(0, t.size - 2)
                                         : std::min(2, t.size);
      // Some branches become lines of their own, starting at the tee.
      const bool spawn = spawned_.size() < 2 && rng_.Chance(30);
      Tee(d, t, kind, BranchDir(t), branchSize, spawn ? Branch::kSpawn : Branch::kStub);
      break;
    }
    case kCross: {
      const int branchSize = std::min(4, t.size);  // socket-welded instrument connections
      GComp& c = Begin(d, t, "Set-On-Cross");
      const IVec centre = t.pos + Unit(t.dir) * kSizes[branchSize].od;
      const IVec run2 = centre + Unit(t.dir) * kSizes[branchSize].od;
      const Int reach = kSizes[t.size].od / 2 + 500;
      const Dir s1 = Beside(t.dir), s2 = Opposite(s1);
      const IVec e1 = centre + Unit(s1) * reach, e2 = centre + Unit(s2) * reach;
      const std::string_view bj = JointFor(branchSize);
      c.points = {{"Run_1", t.pos, t.size, t.joint},
                  {"Run_2", run2, t.size, t.joint},
                  {"End_1", e1, branchSize, bj},
                  {"End_2", e2, branchSize, bj},
                  {"Centre_1", centre, t.size, "", true}};
      Leg(c, 0, 4);
      Leg(c, 4, 1);
      Leg(c, 4, 2);
      Leg(c, 4, 3);
      Stub(d, Turtle{e1, s1, branchSize, t.inch, bj, true, e1});
      Stub(d, Turtle{e2, s2, branchSize, t.inch, bj, true, e2});
      t.pos = run2;
      break;
    }
    case kReducer:
      Reducer(d, t, v % 2 == 1, false);
      break;
    case kTeedReducer:
      Reducer(d, t, v % 2 == 1, true);
      break;
    case kValve:
      FlangedAssembly(d, t, v % 14, kValve);
      break;
    case kAngleValve:
      AngleValve(d, t, v % 4);
      break;
    case kMultiValve:
      MultiValve(d, t, v % 5);
      break;
    case kInline:
      FlangedAssembly(d, t, v % 6, kInline);
      break;
    default:
      break;
  }
}

void PlantBuilder::Offset(Draft& d, Turtle& t, int v) {
  static constexpr Angle kAngles[] = {k60, k60, k45, k45, k30, k30, k15, k75};
  static constexpr const char* kTypes[] = {"Elbow-60",          "Elbow-60-V",       "Elbow-45",
                                           "Elbow-45-V",        "Elbow-30",         "Elbow-30-V",
                                           "Elbow-NonStandard", "Elbow-NonStandard"};
  const Angle& a = kAngles[v];
  const Dir n = Lateral(t, v < 6 && v % 2 == 1);
  const IVec du = Unit(t.dir), nu = Unit(n);
  const Int tl = Micro(ElbowRadius(t.size), a.tanHalf);
  const Int diagonal = rng_.Range(3000, 15000);
  // Points in the (line, offset) plane, each computed once and shared by the
  // two components that meet there.
  auto at = [&](Int along, Int across) { return t.pos + du * along + nu * across; };
  const IVec r1 = t.pos;
  const IVec c1 = at(tl, 0);
  const IVec e1 = at(tl + Micro(tl, a.cos), Micro(tl, a.sin));
  const IVec p2 = at(tl + Micro(tl + diagonal, a.cos), Micro(tl + diagonal, a.sin));
  const IVec c2 = at(tl + Micro(tl * 2 + diagonal, a.cos), Micro(tl * 2 + diagonal, a.sin));
  const IVec e2 = at(tl * 2 + Micro(tl * 2 + diagonal, a.cos), Micro(tl * 2 + diagonal, a.sin));
  const std::string angle = std::to_string(a.degrees);
  for (int k = 0; k < 3; ++k) {
    GComp& c = Begin(d, t, k == 1 ? "Pipe" : kTypes[v]);
    if (k == 1) {
      c.points = {{"Run_1", e1, t.size, t.joint}, {"Run_2", p2, t.size, t.joint}};
      Leg(c, 0, 1);
    } else {
      c.points = {{"Run_1", k == 0 ? r1 : p2, t.size, t.joint},
                  {"Centre_1", k == 0 ? c1 : c2, t.size, "", true},
                  {"Run_2", k == 0 ? e1 : e2, t.size, t.joint}};
      Leg(c, 0, 1);
      Leg(c, 1, 2);
      c.attributes.push_back({"ANGLE", angle});
    }
    t.open = true;
  }
  t.pos = e2;
}

void PlantBuilder::Return(Draft& d, Turtle& t, int v) {
  const bool pulled = v == 0;
  const Int r = pulled ? PulledRadius(t.size) : ElbowRadius(t.size);
  const Dir n = Lateral(t, false);
  for (int k = 0; k < 2; ++k) {
    GComp& c = Begin(d, t, pulled ? "ReturnBend" : "ReturnElbow");
    const IVec c1 = t.pos + Unit(t.dir) * r;
    const IVec c2 = c1 + Unit(n) * (2 * r);
    const IVec r2 = t.pos + Unit(n) * (2 * r);
    c.points = {{"Run_1", t.pos, t.size, t.joint},
                {"Centre_1", c1, t.size, "", true},
                {"Centre_2", c2, t.size, "", true},
                {"Run_2", r2, t.size, t.joint}};
    Leg(c, 0, 1);
    Leg(c, 1, 2);
    Leg(c, 2, 3);
    t.pos = r2;
    t.dir = Opposite(t.dir);
    t.open = true;
    if (k == 0) Pipe(d, t, rng_.Range(5000, 20000));
  }
}

void PlantBuilder::Reducer(Draft& d, Turtle& t, bool eccentric, bool teed) {
  // Reduce big lines and enlarge small ones, one or two sizes.
  const int step = static_cast<int>(rng_.Range(1, 2));
  const int to = t.size >= 8 ? t.size - step : std::min(kSizeCount - 1, t.size + step);
  const int large = std::max(to, t.size);
  static constexpr const char* kTypes[2][2] = {
      {"Concentric-Reducer", "Eccentric-Reducer"},
      {"Teed-Concentric-Reducer", "Teed-Eccentric-Reducer"}};
  GComp& c = Begin(d, t, kTypes[teed][eccentric]);
  const Int half = (teed ? kSizes[large].tee : kSizes[large].reducer) / 2;
  // Flat on top: the axis moves up by half the difference of the diameters.
  const Int offset = eccentric ? (kSizes[t.size].od - kSizes[to].od) / 2 : 0;
  const std::string_view joint = JointFor(to);
  const IVec c1 = t.pos + Unit(t.dir) * half;
  const IVec c2 = c1 + Unit(kUp) * offset;
  const IVec r2 = c2 + Unit(t.dir) * half;
  c.points = {{"Run_1", t.pos, t.size, t.joint}};
  if (eccentric) {
    c.points.push_back({"Centre_1", c1, t.size, "", true});
    c.points.push_back({"Centre_2", c2, to, "", true});
  } else if (teed) {
    c.points.push_back({"Centre_1", c1, t.size, "", true});
  }
  c.points.push_back({"Run_2", r2, to, joint});
  const int run2 = static_cast<int>(c.points.size()) - 1;
  for (int i = 0; i < run2; ++i) Leg(c, i, i + 1);
  if (teed) {
    const int branchSize = std::min(to, t.size);
    const Dir b = BranchDir(t);
    const IVec end1 = c1 + Unit(b) * kSizes[large].tee;
    c.points.push_back({"End_1", end1, branchSize, JointFor(branchSize)});
    Leg(c, 1, run2 + 1);
    Stub(d, Turtle{end1, b, branchSize, t.inch, JointFor(branchSize), true, end1});
  }
  t.pos = r2;
  t.size = to;
  t.joint = joint;
}

void PlantBuilder::FlangedAssembly(Draft& d, Turtle& t, int v, Feature kind) {
  static constexpr const char* kValves[] = {
      "Gate-Valve",      "Globe-Valve",  "Ball-Valve",      "Check-Valve",
      "Butterfly-Valve", "Plug-Valve",   "Diaphragm-Valve", "Cock-Valve",
      "Needle-Valve",    "Slide-Valve",  "Basic-Valve",     "Pressure-Reducing-Valve",
      "Nonreturn-Valve", "Control-Valve"};
  static constexpr const char* kInlines[] = {"Flow-Meter", "Orifice-Plate", "Inline-Instrument",
                                             "Strainer",   "Sight-Glass",   "Spectacle-Blind"};
  const std::string_view type = kind == kValve ? kValves[v] : kInlines[v];
  const bool flanged = kind != kValve || t.joint == "BW";
  if (flanged) {
    Flange(d, t, false);
    Gasket(d, t);
  }
  const NominalSize& s = kSizes[t.size];
  Int length = s.valve;
  if (type == "Butterfly-Valve") length = s.valve * 35 / 100;
  if (type == "Ball-Valve") length = s.valve * 90 / 100;
  if (type == "Flow-Meter") length = 3 * s.od + 1000;
  if (type == "Orifice-Plate") length = 60;
  if (type == "Inline-Instrument") length = s.od * 3 / 2 + 1000;
  if (type == "Strainer") length = s.od * 5 / 2 + 1000;
  if (type == "Sight-Glass") length = 2 * s.od + 500;
  if (type == "Spectacle-Blind") length = 100 + s.od / 20;
  GComp& c = Begin(d, t, type);
  const IVec end = t.pos + Unit(t.dir) * length;
  const std::string_view joint = t.joint;
  // Valves whose stem sits over a body centre carry it as an internal point.
  const bool centred =
      type == "Globe-Valve" || type == "Control-Valve" || type == "Pressure-Reducing-Valve";
  c.points = {{"Run_1", t.pos, t.size, joint}};
  if (centred)
    c.points.push_back({"Centre_1", t.pos + Unit(t.dir) * (length / 2), t.size, "", true});
  c.points.push_back({"Run_2", end, t.size, joint});
  for (int i = 0; i + 1 < static_cast<int>(c.points.size()); ++i) Leg(c, i, i + 1);
  if (kind == kValve) {
    const bool check = type == "Check-Valve" || type == "Nonreturn-Valve";
    if (check)
      c.attributes.push_back({"FLOW", "1"});
    else
      c.attributes.push_back({"SPINDLE-DIRECTION", "UP"});
    c.attributes.push_back(
        {"TAG", (type == "Control-Valve" ? "FV-" : "HV-") + std::to_string(++tags_)});
    if (type == "Control-Valve") c.attributes.push_back({"ACTUATOR", "PNEUMATIC"});
  } else {
    c.attributes.push_back(
        {"TAG", (type == "Flow-Meter" || type == "Orifice-Plate" ? "FE-" : "XE-") +
                    std::to_string(++tags_)});
  }
  t.pos = end;
  t.open = true;
  if (flanged) {
    Gasket(d, t);
    Flange(d, t, true);
  }
}

void PlantBuilder::AngleValve(Draft& d, Turtle& t, int v) {
  static constexpr const char* kTypes[] = {"Angle-Valve", "Control-Valve-Angle", "Relief-Valve",
                                           "Pressure-Relief-Valve"};
  // Relief valves blow off upwards; the others turn sideways.
  const Dir n = v >= 2 ? kUp : Lateral(t, false);
  const Dir in = t.dir;
  Flange(d, t, false);
  Gasket(d, t);
  GComp& c = Begin(d, t, kTypes[v]);
  const Int half = kSizes[t.size].valve / 2;
  const IVec centre = t.pos + Unit(in) * half;
  const IVec out = centre + Unit(n) * half;
  c.points = {{"Run_1", t.pos, t.size, "FL"},
              {"Centre_1", centre, t.size, "", true},
              {"Run_2", out, t.size, "FL"}};
  Leg(c, 0, 1);
  Leg(c, 1, 2);
  // The stem continues the inlet's axis beyond the body.
  c.attributes.push_back({"SPINDLE-DIRECTION", Compass(in)});
  c.attributes.push_back({"TAG", (v == 1   ? "FV-"
                                  : v >= 2 ? "PSV-"
                                           : "HV-") +
                                     std::to_string(++tags_)});
  t.pos = out;
  t.dir = n;
  Gasket(d, t);
  Flange(d, t, true);
  Pipe(d, t, rng_.Range(3000, 10000));
  Elbow(d, t, IsVertical(n) ? "Elbow-90-V" : "Elbow-90", in, ElbowRadius(t.size));
}

void PlantBuilder::MultiValve(Draft& d, Turtle& t, int v) {
  static constexpr const char* kTypes[] = {"Valve-3Way", "Control-Valve-3Way", "Valve-4Way",
                                           "Control-Valve-4Way", "Valve-Multiway"};
  static constexpr int kBranches[] = {1, 1, 2, 2, 3};
  const Dir kDirs[] = {Beside(t.dir), Opposite(Beside(t.dir)), kDown};
  static constexpr const char* kEnds[] = {"End_1", "End_2", "End_3"};
  Flange(d, t, false);
  Gasket(d, t);
  GComp& c = Begin(d, t, kTypes[v]);
  const Int half = kSizes[t.size].valve / 2;
  const IVec centre = t.pos + Unit(t.dir) * half;
  const IVec run2 = centre + Unit(t.dir) * half;
  c.points = {{"Run_1", t.pos, t.size, "FL"},
              {"Centre_1", centre, t.size, "", true},
              {"Run_2", run2, t.size, "FL"}};
  Leg(c, 0, 1);
  Leg(c, 1, 2);
  std::vector<Turtle> closures;
  for (int b = 0; b < kBranches[v]; ++b) {
    const IVec end = centre + Unit(kDirs[b]) * half;
    c.points.push_back({kEnds[b], end, t.size, "FL"});
    Leg(c, 1, 3 + b);
    closures.push_back(Turtle{end, kDirs[b], t.size, t.inch, "FL", true, end});
  }
  c.attributes.push_back({"SPINDLE-DIRECTION", "UP"});
  c.attributes.push_back({"TAG", (v % 2 ? "FV-" : "HV-") + std::to_string(++tags_)});
  for (Turtle& b : closures) Blind(d, b);
  t.pos = run2;
  t.joint = "FL";
  t.open = true;
  Gasket(d, t);
  Flange(d, t, true);
}

void PlantBuilder::Blind(Draft& d, Turtle& t) {
  Gasket(d, t);
  GComp& c = Begin(d, t, "Blind-Flange");
  const IVec inner = t.pos + Unit(t.dir) * (kSizes[t.size].flange / 3);
  c.points = {{"Run_1", t.pos, t.size, "FL"}, {"Centre_1", inner, t.size, "", true}};
  Leg(c, 0, 1);
}

Turtle PlantBuilder::Tee(Draft& d, Turtle& t, int kind, Dir b, int branchSize, Branch branchTo) {
  static constexpr const char* kTypes[] = {"Tee", "Reducing-Tee", "Set-On-Tee"};
  GComp& c = Begin(d, t, kTypes[kind]);
  const Int half = kind == 2 ? kSizes[branchSize].od : kSizes[t.size].tee;
  const Int reach = kind == 2 ? kSizes[t.size].od / 2 + 500 : kSizes[t.size].tee;
  const IVec centre = t.pos + Unit(t.dir) * half;
  const IVec run2 = centre + Unit(t.dir) * half;
  const IVec end1 = centre + Unit(b) * reach;
  c.points = {{"Run_1", t.pos, t.size, t.joint},
              {"Run_2", run2, t.size, t.joint},
              {"End_1", end1, branchSize, JointFor(branchSize)},
              {"Centre_1", centre, t.size, "", true}};
  Leg(c, 0, 3);
  Leg(c, 3, 1);
  Leg(c, 3, 2);
  Turtle branch{end1, b, branchSize, t.inch, JointFor(branchSize), true, end1, t.home};
  if (branchTo == Branch::kSpawn)
    d.spawns.push_back({branch});
  else if (branchTo == Branch::kStub)
    Stub(d, branch);
  t.pos = run2;
  return branch;
}

void PlantBuilder::Cap(Draft& d, Turtle& t) {
  GComp& c = Begin(d, t, "Cap");
  const IVec end = t.pos + Unit(t.dir) * (kSizes[t.size].od / 2);
  c.points = {{"Run_1", t.pos, t.size, t.joint}, {"Centre_1", end, t.size, "", true}};
  Leg(c, 0, 1);
}

void PlantBuilder::Stub(Draft& d, Turtle t) {
  Pipe(d, t, rng_.Range(3000, 12000));
  switch (closures_++ % 3) {
    case 0:
      Cap(d, t);
      break;
    case 1:
      Flange(d, t, false);
      Blind(d, t);
      break;
    default:
      break;  // an open end, for a hose or a future tie-in
  }
}

Draft PlantBuilder::SupportOnLastPipe() {
  Draft d;
  if (lastPipe_ < 0) return d;
  const GComp& pipe = lastPipeComp_;
  const IVec a = pipe.points[0].pos, b = pipe.points[1].pos;
  const IVec along = b - a;
  const Int span = along.x + along.y + along.z;  // axis-aligned: one term is the length
  const Int length = span < 0 ? -span : span;
  if (length < 10000) return d;
  const IVec at = a + IVec{along.x / length, along.y / length, along.z / length} *
                          rng_.Range(2000, length - 2000);
  const bool vertical = along.x == 0 && along.y == 0;
  static constexpr const char* kKinds[][2] = {
      {"REST", "SURS"}, {"GUIDE", "SUGD"}, {"ANCHOR", "SUAN"}, {"HANGER", "SUHG"}};
  const int kind = vertical ? 1 : static_cast<int>(supports_++ % 4);
  GComp& c = d.comps.emplace_back();
  c.type = Type("Support");
  c.key = kKinds[kind][1];
  c.points = {{"Centre_1", at, pipe.points[0].size, "", true}};
  c.attributes = {{"SUPPORT-TYPE", kKinds[kind][0]},
                  {"SUPPORT-DIRECTION", vertical    ? "NORTH"
                                        : kind == 3 ? "UP"
                                                    : "DOWN"}};
  c.attachTo = lastPipe_;
  return d;
}

void PlantBuilder::AppendPosition(const IVec& p) {
  out_ += '[';
  json_text::AppendFixed(out_, p.x, 1);
  out_ += ',';
  json_text::AppendFixed(out_, p.y, 1);
  out_ += ',';
  json_text::AppendFixed(out_, p.z, 1);
  out_ += ']';
}

void PlantBuilder::Write(GComp& c) {
  const std::size_t seq = lineCount_++;
  if (c.type->type == "Pipe") {
    lastPipe_ = static_cast<std::int64_t>(seq);
    lastPipeComp_ = c;
  }
  out_ += seq ? ",\n      {\"id\":" : "\n      {\"id\":";
  json_text::AppendString(out_, lineId_ + "/" + std::to_string(seq + 1));
  out_ += ",\"type\":";
  json_text::AppendString(out_, c.type->type);
  out_ += ",\"group\":";
  json_text::AppendString(out_, c.type->group);
  out_ += ",\"itemCode\":" + std::to_string(c.type->itemCode) + ",\"symbolKey\":";
  json_text::AppendString(out_, c.key.empty() ? std::string_view(c.type->symbolKey) : c.key);
  if (!c.type->shapeCode.empty()) {
    out_ += ",\"shapeCode\":";
    json_text::AppendString(out_, c.type->shapeCode);
  }
  out_ += ",\"points\":{";
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const GPoint& p = c.points[i];
    out_ += i ? ",\"" : "\"";
    out_ += p.name;
    out_ += "\":{\"position\":";
    AppendPosition(p.pos);
    out_ += ",\"bore\":";
    out_ += line_inch_ ? kSizes[p.size].nps : std::to_string(kSizes[p.size].dn);
    if (line_inch_) out_ += ",\"boreUnits\":1";
    if (!p.endType.empty()) {
      out_ += ",\"endType\":\"";
      out_ += p.endType;
      out_ += '"';
    }
    if (p.internal) out_ += ",\"internal\":true";
    out_ += '}';
  }
  out_ += '}';
  if (!c.legs.empty()) {
    out_ += ",\"legs\":[";
    for (std::size_t i = 0; i < c.legs.size(); ++i) {
      const GLeg& l = c.legs[i];
      out_ += i ? ",{\"from\":\"" : "{\"from\":\"";
      out_ += c.points[l.from].name;
      out_ += "\",\"to\":\"";
      out_ += c.points[l.to].name;
      out_ += '"';
      if (l.withDirection) {
        out_ += ",\"direction\":";
        AppendPosition(Unit(l.dir) * 10);
      }
      out_ += '}';
    }
    out_ += ']';
  }
  if (!c.attributes.empty()) {
    out_ += ",\"attributes\":{";
    for (std::size_t i = 0; i < c.attributes.size(); ++i) {
      if (i) out_ += ',';
      json_text::AppendString(out_, c.attributes[i].first);
      out_ += ':';
      json_text::AppendString(out_, c.attributes[i].second);
    }
    out_ += '}';
  }
  if (c.attachTo >= 0) {
    out_ += ",\"attachments\":[";
    json_text::AppendString(out_, lineId_ + "/" + std::to_string(c.attachTo + 1));
    out_ += ']';
  }
  out_ += '}';
}

}  // namespace kelto::data::generator
