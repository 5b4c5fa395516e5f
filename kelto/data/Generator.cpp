#include "kelto/data/Generator.h"

#include <array>
#include <deque>
#include <string_view>
#include <vector>

#include "kelto/data/Catalogue.h"
#include "kelto/data/GeneratorSite.h"
#include "kelto/data/GeneratorTables.h"
#include "kelto/data/JsonText.h"

namespace kelto::data {

namespace {

using namespace generator;

struct GPoint {
  std::string_view name;
  IVec pos;
  int size;
  std::string_view endType;
  bool internal = false;
};

struct GLeg {
  int from, to;
  bool withDirection = false;
  Dir dir = kEast;
};

struct GComp {
  const CatalogueType* type = nullptr;
  std::string_view key;  // symbol key when not the type's own
  std::vector<GPoint> points;
  std::vector<GLeg> legs;
  std::vector<std::pair<std::string_view, std::string>> attributes;
  std::int64_t attachTo = -1;  // position in the pipeline of the pipe a support stands on
};

// Where the line goes on: position, direction, size and the kind of joint the
// next component must offer.
struct Turtle {
  IVec pos;
  Dir dir = kEast;
  int size = 8;
  bool inch = false;
  std::string_view joint = "BW";
  bool open = false;  // an end waits at pos for the next component
  IVec origin;        // the line's band, to keep excursions balanced
  Dir home = kEast;   // the way the line runs; bends come back to it
};

struct BranchStart {
  Turtle turtle;
};

// A feature being built; committed to the line only when it fits the budget.
struct Draft {
  std::vector<GComp> comps;
  std::vector<BranchStart> spawns;
  std::size_t joints = 0;
};

std::string_view JointFor(int size) { return size <= 2 ? "SC" : size <= 5 ? "SW" : "BW"; }

class PlantBuilder {
 public:
  PlantBuilder(std::size_t components, std::uint64_t seed)
      : rng_(seed), catalogue_(Catalogue::Default()), remaining_(components) {
    // Every catalogue type goes into the first features of the plant.
    for (int v = 0; v < 3; ++v) schedule_.push_back({kBend, v});
    for (int v = 0; v < 8; ++v) schedule_.push_back({kOffset, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kReturn, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kTeedBend, v});
    for (int v = 0; v < 3; ++v) schedule_.push_back({kTee, v});
    schedule_.push_back({kCross, 0});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kReducer, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kTeedReducer, v});
    for (int v = 0; v < 14; ++v) schedule_.push_back({kValve, v});
    for (int v = 0; v < 4; ++v) schedule_.push_back({kAngleValve, v});
    for (int v = 0; v < 5; ++v) schedule_.push_back({kMultiValve, v});
    for (int v = 0; v < 6; ++v) schedule_.push_back({kInline, v});
  }

  GeneratedPlant Build(std::size_t components, std::uint64_t seed) {
    out_ = "{\n  \"format\": \"kelto-piping\",\n  \"version\": 1,\n  \"description\": ";
    json_text::AppendString(out_, "Generated plant: " + std::to_string(components) +
                                      " components, seed " + std::to_string(seed));
    out_ += ",\n  \"pipelines\": [";
    site_ = PlanSite(components);
    const std::size_t units = site_.units.size();
    const std::size_t perRow = 2 * static_cast<std::size_t>(site_.unitsPerSide);
    for (std::size_t u = 0; u < units && remaining_ > 0; ++u) {
      if (u % perRow == 0) {
        // A sixth of the row's share goes to its headers and their branches.
        allowance_ = remaining_ * perRow / (units - u) / 6;
        Headers(site_.units[u].row);
      }
      allowance_ = u + 1 == units ? remaining_ : remaining_ / (units - u);
      FillUnit(site_.units[u]);
    }
    out_ += pipelines_ ? "\n  ]\n}\n" : "]\n}\n";
    return {std::move(out_), components, pipelines_, joints_};
  }

 private:
  enum Feature {
    kBend,
    kOffset,
    kReturn,
    kTeedBend,
    kTee,
    kCross,
    kReducer,
    kTeedReducer,
    kValve,
    kAngleValve,
    kMultiValve,
    kInline,
    kFeatureCount
  };
  struct Scheduled {
    Feature feature;
    int variant;
  };

  const CatalogueType* Type(std::string_view name) const { return catalogue_.FindType(name); }
  std::size_t Available() const { return std::min(remaining_, allowance_); }

  // Mostly 2"–8", some 10"–14", a few 16"–24".
  int BoreMix() {
    const Int r = rng_.Range(0, 99);
    return static_cast<int>(r < 80 ? rng_.Range(5, 10) : r < 95 ? rng_.Range(11, 13)
                                                                 : rng_.Range(14, 17));
  }

  // ---- lines ----------------------------------------------------------------

  void BeginLine(const Turtle& t) {
    line_inch_ = t.inch;
    static constexpr const char* kServices[][2] = {{"P", "Process"},
                                                   {"S", "Steam"},
                                                   {"CW", "Cooling water"},
                                                   {"N", "Nitrogen"},
                                                   {"D", "Drain"}};
    const auto& service = kServices[service_ >= 0 ? service_ : rng_.Range(0, 4)];
    lineId_ =
        (t.inch ? std::string(kSizes[t.size].nps) + "IN" : std::to_string(kSizes[t.size].dn)) +
        "-" + service[0] + "-" + std::to_string(1001 + pipelines_) + "-A" +
        std::to_string(rng_.Range(1, 3));
    out_ += pipelines_++ ? ",\n    {\"id\": " : "\n    {\"id\": ";
    json_text::AppendString(out_, lineId_);
    out_ += ", \"attributes\": {\"SERVICE\": ";
    json_text::AppendString(out_, service[1]);
    out_ += ", \"PIPING-CLASS\": \"A1\"}, \"components\": [";
    lineCount_ = 0;
    lastPipe_ = -1;
  }
  void EndLine() { out_ += "\n    ]}"; }

  Turtle NewTurtle(IVec pos, Dir dir, int size) {
    Turtle t;
    t.pos = t.origin = pos;
    t.dir = t.home = dir;
    t.size = size;
    t.inch = rng_.Chance(33);  // a third of the lines in inch bores
    t.joint = JointFor(size);
    return t;
  }

  // The unit's own piping: lines snaking along the plot at their own band and
  // elevation, with every kind of fitting, until the unit's share is used.
  void FillUnit(const UnitPlot& unit) {
    if (Available() > 40) RackLines(unit);
    for (int band = 0; Available() > 0; ++band) {
      if (!spawned_.empty()) {
        Turtle t = spawned_.front().turtle;
        spawned_.pop_front();
        UnitLine(unit, t, true);
        continue;
      }
      // Bands across the plot run east or west, bands along it north or south.
      const Int z = 30000 + (band % 5) * 8000;
      const bool forward = band % 2 == 0;
      if (band % 4 < 2) {
        const Int y = unit.y0 + 30000 + (band * 23000) % (kUnitDepth - 60000);
        const IVec start{forward ? unit.x0 + 20000 : unit.x1 - 20000, y, z};
        UnitLine(unit, NewTurtle(start, forward ? kEast : kWest, BoreMix()), false);
      } else {
        const Int x = unit.x0 + 30000 + (band * 37000) % (kUnitWidth - 60000);
        const IVec start{x, forward ? unit.y0 + 20000 : unit.y1 - 20000, z};
        UnitLine(unit, NewTurtle(start, forward ? kNorth : kSouth, BoreMix()), false);
      }
    }
    spawned_.clear();  // a branch not taken up stays an open end of its tee
  }

  void UnitLine(const UnitPlot& unit, Turtle t, bool branch) {
    t.origin = t.pos;
    BeginLine(t);
    std::size_t budget = static_cast<std::size_t>(rng_.Range(20, 90));
    Draft start;
    Turtle started = t;
    if (branch) {
      // A branch line first leaves its header, then turns along the plot.
      Pipe(start, started, rng_.Range(3000, 8000));
      Elbow(start, started, IsVertical(t.dir) ? "Elbow-90-V" : "Elbow-90", t.home,
            ElbowRadius(t.size));
    } else if (rng_.Chance(60)) {
      Flange(start, started, true);  // starts at an equipment nozzle
    }
    if (CommitIfFits(std::move(start))) t = started;
    t.joint = JointFor(t.size);
    while (Available() > 0 && lineCount_ < budget) {
      const bool ew = t.home == kEast || t.home == kWest;
      const Int along = ew ? t.pos.x : t.pos.y;
      const Int lo = (ew ? unit.x0 : unit.y0) + 120000, hi = (ew ? unit.x1 : unit.y1) - 120000;
      const bool out =
          t.dir == t.home && (t.home == kEast || t.home == kNorth ? along > hi : along < lo);
      if (out) {
        // Back along the plot, one row over.
        Draft turn;
        Turtle tt = t;
        const Dir side = ew ? (tt.pos.y > (unit.y0 + unit.y1) / 2 ? kSouth : kNorth)
                            : (tt.pos.x > (unit.x0 + unit.x1) / 2 ? kWest : kEast);
        Elbow(turn, tt, "Elbow-90", side, ElbowRadius(tt.size));
        Pipe(turn, tt, rng_.Range(15000, 40000));
        Elbow(turn, tt, "Elbow-90", Opposite(t.home), ElbowRadius(tt.size));
        if (!CommitIfFits(std::move(turn))) break;
        t = tt;
        t.home = Opposite(t.home);
        t.origin = t.pos;
        continue;
      }
      Draft run;
      Turtle before = t;
      Pipe(run, t, rng_.Range(8000, 60000));
      if (!Commit(run)) {
        t = before;
        break;
      }
      Trimmings(t);
      if (Available() == 0 || lineCount_ >= budget) break;
      const Scheduled next = schedule_.empty()
                                 ? Scheduled{static_cast<Feature>(rng_.Range(0, kFeatureCount - 1)),
                                             static_cast<int>(rng_.Range(0, 13))}
                                 : schedule_.front();
      Draft f;
      Turtle ft = t;
      Build(f, ft, next.feature, next.variant);
      if (f.comps.size() + 1 > Available()) continue;  // keep the budget for plain pipe
      if (!schedule_.empty()) schedule_.pop_front();
      for (BranchStart& s : f.spawns) spawned_.push_back(s);
      Commit(f);
      t = ft;
    }
    if (Available() > 0 && t.joint != "FL" && rng_.Chance(40)) {
      Draft d;
      Flange(d, t, false);  // ends at an equipment nozzle
      CommitIfFits(std::move(d));
    }
    EndLine();
  }

  // A support on the pipe just laid, sometimes, and a weld after it.
  void Trimmings(Turtle& t) {
    if (Available() > 0 && rng_.Chance(35)) CommitIfFits(SupportOnLastPipe());
    if (Available() > 0 && t.joint != "SC" && rng_.Chance(30)) {
      Draft w;
      Turtle wt = t;
      Weld(w, wt);
      if (CommitIfFits(std::move(w))) t = wt;
    }
  }

  // Lines from a nozzle of this unit along the rack to a nozzle of another
  // unit of the row: under the rack to a slot, up to its level, along the
  // rack, down again and into the other unit. A quarter of the unit's share.
  void RackLines(const UnitPlot& unit) {
    const std::size_t stop = Available() - Available() / 4;
    const int k = site_.unitsPerSide;
    const int index = static_cast<int>((unit.x0) / (kUnitWidth + kUnitGap));
    for (int tries = 0; tries < 40 && Available() > stop; ++tries) {
      int other = index + static_cast<int>(rng_.Range(-4, 4));
      if (other < 0 || other >= k || other == index) continue;
      const UnitPlot& target =
          site_.units[static_cast<std::size_t>(unit.row * 2 * k + other * 2 + rng_.Range(0, 1))];
      Rack& rack = site_.racks[static_cast<std::size_t>(unit.row)];
      const Int xs = rng_.Range(unit.x0 + 50000, unit.x1 - 50000);
      const Int xt = rng_.Range(target.x0 + 50000, target.x1 - 50000);
      const int level = static_cast<int>(rng_.Range(0, kRackLevels - 1));
      const int size = BoreMix();
      int slot = -1;
      for (int s = 1; s + 1 < kRackSlots && slot < 0; ++s) {
        if (rack.Free(level, s, std::min(xs, xt) - 20000, std::max(xs, xt) + 20000)) slot = s;
      }
      if (slot < 0) continue;
      const Int ys = unit.RackSideY() + (unit.north ? 1 : -1) * rng_.Range(20000, 200000);
      const Int yt = target.RackSideY() + (target.north ? 1 : -1) * rng_.Range(20000, 200000);
      const Int zs = rng_.Range(15000, 35000), zt = rng_.Range(15000, 35000);
      const Int ySlot = rack.SlotY(slot), zl = kLevelZ[level];
      const Int length = std::abs(ys - ySlot) + (zl - zs) + std::abs(xt - xs) + (zl - zt) +
                         std::abs(yt - ySlot);
      if (static_cast<Int>(Available()) < length / 40000 + 40) return;
      rack.Take(level, slot, std::min(xs, xt) - 20000, std::max(xs, xt) + 20000);
      const std::vector<IVec> corners = {{xs, ySlot, zs}, {xs, ySlot, zl}, {xt, ySlot, zl},
                                         {xt, ySlot, zt}, {xt, yt, zt}};
      Turtle t = NewTurtle({xs, ys, zs}, unit.TowardRack(), size);
      RouteLine(t, corners, true, true);
    }
  }

  // The row's utility headers on the top level of the rack, a tee for each
  // unit with a branch line dropping into it; closed by a cap at the far end.
  void Headers(int row) {
    Rack& rack = site_.racks[static_cast<std::size_t>(row)];
    const int k = site_.unitsPerSide;
    for (int h = 0; h < 2; ++h) {
      const int slot = h == 0 ? 0 : kRackSlots - 1;
      const int size = static_cast<int>(h == 0 ? rng_.Range(11, 14) : rng_.Range(13, 17));
      const Int y = rack.SlotY(slot), z = kLevelZ[kRackLevels - 1];
      if (static_cast<Int>(Available()) < (rack.x1 - rack.x0) / 60000 + 30 * k) return;
      rack.Take(kRackLevels - 1, slot, rack.x0, rack.x1);
      Turtle t = NewTurtle({rack.x0, y, z}, kEast, size);
      service_ = h == 0 ? 1 : 2;
      BeginLine(t);
      service_ = -1;
      Draft start;
      Flange(start, t, true);  // the battery limit
      Commit(start);
      std::vector<std::pair<Turtle, const UnitPlot*>> branches;
      for (int i = 0; i < k; ++i) {
        for (int side = 0; side < 2; ++side) {
          const UnitPlot& unit = site_.units[static_cast<std::size_t>(row * 2 * k + i * 2 + side)];
          const int branchSize = std::max(5, size - static_cast<int>(rng_.Range(2, 5)));
          const Int x = unit.CentreX() + (side ? 1 : -1) * (40000 + 30000 * h) -
                        kSizes[size].tee;
          if (!Run(t, {x, t.pos.y, t.pos.z}, kPlainRun)) break;
          Draft tee;
          Turtle tt = t;
          const Turtle branch = Tee(tee, tt, 1, kDown, branchSize, Branch::kCaller);
          if (!Commit(tee)) break;
          t = tt;
          branches.push_back({branch, &unit});
        }
      }
      if (Run(t, {rack.x1, t.pos.y, t.pos.z}, kPlainRun)) {
        Draft cap;
        Cap(cap, t);
        CommitIfFits(std::move(cap));
      }
      EndLine();
      for (auto& [branch, unit] : branches) {
        if (Available() < 30) break;
        Turtle b = branch;
        b.home = unit->TowardRack() == kSouth ? kNorth : kSouth;  // into the unit
        const Int zb = rng_.Range(25000, 45000);
        const Int yb = unit->RackSideY() + (unit->north ? 1 : -1) * rng_.Range(30000, 150000);
        RouteLine(b, {{b.pos.x, b.pos.y, zb}, {b.pos.x, yb, zb}}, false, true);
      }
    }
  }

  // A line through the corners in turn (the last one is where it ends),
  // square turns by long-radius elbows, fittings along the straights.
  void RouteLine(Turtle t, const std::vector<IVec>& corners, bool nozzleStart, bool nozzleEnd) {
    t.origin = t.pos;
    BeginLine(t);
    Draft start;
    if (nozzleStart) Flange(start, t, true);
    if (!start.comps.empty() && !Commit(start)) return EndLine();
    for (std::size_t i = 0; i < corners.size(); ++i) {
      const bool last = i + 1 == corners.size();
      const IVec& c = corners[i];
      const RunKind kind = IsVertical(t.dir) ? kRiserRun : (t.dir == kEast || t.dir == kWest)
                                                               ? kRackRun
                                                               : kCrossRun;
      const Int along = Along(t, c);
      if (along <= 0) break;
      if (!Run(t, c, kind, last ? (nozzleEnd ? kSizes[t.size].flange : 0) : -1)) break;
      if (last) {
        Draft end;
        if (nozzleEnd) Flange(end, t, false);
        CommitIfFits(std::move(end));
        break;
      }
      const IVec next = corners[i + 1] - c;
      const Dir to = next.x > 0   ? kEast
                     : next.x < 0 ? kWest
                     : next.y > 0 ? kNorth
                     : next.y < 0 ? kSouth
                     : next.z > 0 ? kUp
                                  : kDown;
      Draft bend;
      Elbow(bend, t, IsVertical(to) || IsVertical(t.dir) ? "Elbow-90-V" : "Elbow-90", to,
            ElbowRadius(t.size));
      if (!Commit(bend)) break;
    }
    EndLine();
  }

  static Int Along(const Turtle& t, const IVec& target) {
    const IVec d = target - t.pos, u = Unit(t.dir);
    return d.x * u.x + d.y * u.y + d.z * u.z;
  }

  enum RunKind { kPlainRun, kRackRun, kCrossRun, kRiserRun };

  // Lays the straight from the turtle to `target` less `stop` (−1: the
  // radius of the elbow that turns there), pipes with fittings between them
  // as the run allows. False when the budget ran out first.
  bool Run(Turtle& t, const IVec& target, RunKind kind, Int stop = 0) {
    const auto left = [&](const Turtle& at) {
      return Along(at, target) - (stop < 0 ? ElbowRadius(at.size) : stop);
    };
    while (left(t) > 0) {
      const Int room = left(t);
      Draft run;
      Turtle before = t;
      const Int pipe = room <= 120000 ? room : rng_.Range(60000, std::min<Int>(120000, room - 20000));
      Pipe(run, t, pipe);
      if (!Commit(run)) {
        t = before;
        return false;
      }
      if (left(t) > 20) Trimmings(t);
      if (kind == kPlainRun || kind == kRiserRun || left(t) < 40000 || !rng_.Chance(45)) continue;
      static constexpr Feature kRack[] = {kValve, kInline, kReducer, kTee, kCross, kMultiValve};
      static constexpr Feature kCross[] = {kValve, kInline, kReducer};
      const Feature f = kind == kRackRun ? kRack[rng_.Range(0, 5)] : kCross[rng_.Range(0, 2)];
      Draft d;
      Turtle ft = t;
      Build(d, ft, f, f == kReducer ? 0 : static_cast<int>(rng_.Range(0, 13)));
      const IVec off = ft.pos - t.pos;
      const bool onAxis = ft.dir == t.dir && Along(t, ft.pos) ==
                                                 std::abs(off.x) + std::abs(off.y) + std::abs(off.z);
      if (!onAxis || left(ft) < 2000 || d.comps.size() + 1 > Available() || !d.spawns.empty())
        continue;
      Commit(d);
      t = ft;
    }
    return left(t) == 0;
  }

  bool CommitIfFits(Draft d) {
    if (d.comps.empty() || d.comps.size() > Available()) return false;
    return Commit(d);
  }

  bool Commit(Draft& d) {
    if (d.comps.size() > Available()) return false;
    joints_ += d.joints;
    for (GComp& c : d.comps) Write(c);
    remaining_ -= d.comps.size();
    allowance_ -= d.comps.size();
    return true;
  }

  // ---- components -----------------------------------------------------------

  // Starts a component at the turtle; its first point joins the open end.
  GComp& Begin(Draft& d, Turtle& t, std::string_view type) {
    d.comps.emplace_back();
    d.comps.back().type = Type(type);
    if (t.open) ++d.joints;
    return d.comps.back();
  }

  static void Leg(GComp& c, int from, int to) { c.legs.push_back({from, to}); }

  void Pipe(Draft& d, Turtle& t, Int length) {
    GComp& c = Begin(d, t, "Pipe");
    const IVec end = t.pos + Unit(t.dir) * length;
    c.points = {{"Run_1", t.pos, t.size, t.joint}, {"Run_2", end, t.size, t.joint}};
    Leg(c, 0, 1);
    t.pos = end;
    t.open = true;
  }

  void Weld(Draft& d, Turtle& t) {
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

  // A flange between the line's joint and a flanged face. faceFirst: the face
  // is Run_1 (the line starts at a flange) instead of Run_2.
  void Flange(Draft& d, Turtle& t, bool faceFirst) {
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

  void Gasket(Draft& d, Turtle& t) {
    GComp& c = Begin(d, t, "Gasket");
    const IVec end = t.pos + Unit(t.dir) * 30;
    c.points = {{"Run_1", t.pos, t.size, "FL"}, {"Run_2", end, t.size, "FL"}};
    Leg(c, 0, 1);
    t.pos = end;
    t.joint = "FL";
    t.open = true;
  }

  // Turns the line from t.dir to `to` about an intersection point R from both ends.
  void Elbow(Draft& d, Turtle& t, std::string_view type, Dir to, Int radius) {
    GComp& c = Begin(d, t, type);
    const IVec corner = t.pos + Unit(t.dir) * radius;
    const IVec end = corner + Unit(to) * radius;
    c.points = {{"Run_1", t.pos, t.size, t.joint},
                {"Centre_1", corner, t.size, "", true},
                {"Run_2", end, t.size, t.joint}};
    Leg(c, 0, 1);
    Leg(c, 1, 2);
    if (type == "PulledBend" || type == "Elbow-NonStandard")
      c.attributes.push_back({"ANGLE", "90"});
    t.pos = end;
    t.dir = to;
    t.open = true;
  }

  // A direction square to the line that moves it back toward its band.
  Dir Lateral(const Turtle& t, bool vertical) const {
    if (vertical) return t.pos.z > t.origin.z ? kDown : kUp;
    if (t.home == kNorth || t.home == kSouth) return t.pos.x > t.origin.x ? kWest : kEast;
    return t.pos.y > t.origin.y ? kSouth : kNorth;
  }

  // A horizontal direction square to d (north for vertical lines).
  static Dir Beside(Dir d) { return d == kNorth || d == kSouth ? kEast : kNorth; }

  Dir BranchDir(const Turtle& t) { return rng_.Chance(50) ? kDown : Lateral(t, false); }

  // ---- features -------------------------------------------------------------

  void Build(Draft& d, Turtle& t, Feature f, int v) {
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

  void Offset(Draft& d, Turtle& t, int v) {
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

  void Return(Draft& d, Turtle& t, int v) {
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

  void Reducer(Draft& d, Turtle& t, bool eccentric, bool teed) {
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

  // Flange, gasket, item, gasket, flange; small screwed and socket-welded
  // lines take two-way valves straight into the line instead.
  void FlangedAssembly(Draft& d, Turtle& t, int v, Feature kind) {
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

  void AngleValve(Draft& d, Turtle& t, int v) {
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

  void MultiValve(Draft& d, Turtle& t, int v) {
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

  // Gasket and blind flange on an open flanged end.
  void Blind(Draft& d, Turtle& t) {
    Gasket(d, t);
    GComp& c = Begin(d, t, "Blind-Flange");
    const IVec inner = t.pos + Unit(t.dir) * (kSizes[t.size].flange / 3);
    c.points = {{"Run_1", t.pos, t.size, "FL"}, {"Centre_1", inner, t.size, "", true}};
    Leg(c, 0, 1);
  }

  enum class Branch { kStub, kSpawn, kCaller };
  // A tee of `kind` (plain, reducing, set-on) with its branch towards b: a
  // closed stub, a line of its own later, or the caller's to continue.
  // Returns where the branch starts.
  Turtle Tee(Draft& d, Turtle& t, int kind, Dir b, int branchSize, Branch branchTo) {
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

  void Cap(Draft& d, Turtle& t) {
    GComp& c = Begin(d, t, "Cap");
    const IVec end = t.pos + Unit(t.dir) * (kSizes[t.size].od / 2);
    c.points = {{"Run_1", t.pos, t.size, t.joint}, {"Centre_1", end, t.size, "", true}};
    Leg(c, 0, 1);
  }

  // A short branch from a fitting, closed by a cap or a blind flange, or left open.
  void Stub(Draft& d, Turtle t) {
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

  Draft SupportOnLastPipe() {
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

  // ---- writing --------------------------------------------------------------

  void AppendPosition(const IVec& p) {
    out_ += '[';
    json_text::AppendFixed(out_, p.x, 1);
    out_ += ',';
    json_text::AppendFixed(out_, p.y, 1);
    out_ += ',';
    json_text::AppendFixed(out_, p.z, 1);
    out_ += ']';
  }

  void Write(GComp& c) {
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

  Rng rng_;
  const Catalogue& catalogue_;
  std::size_t remaining_;
  std::size_t allowance_ = 0;  // what the unit (or row's headers) being built may still use
  SitePlan site_;
  int service_ = -1;  // the next line's service, or −1 for any
  std::string out_;
  std::string lineId_;
  bool line_inch_ = false;
  std::size_t lineCount_ = 0;
  std::int64_t lastPipe_ = -1;
  GComp lastPipeComp_;
  std::size_t pipelines_ = 0;
  std::size_t independent_ = 0;
  std::size_t joints_ = 0;
  std::size_t tags_ = 0;
  std::size_t flangeCounter_ = 0;
  std::size_t closures_ = 0;
  std::size_t supports_ = 0;
  std::deque<Scheduled> schedule_;
  std::deque<BranchStart> spawned_;
};

}  // namespace

GeneratedPlant GeneratePlant(std::size_t components, std::uint64_t seed) {
  return PlantBuilder(components, seed).Build(components, seed);
}

}  // namespace kelto::data
