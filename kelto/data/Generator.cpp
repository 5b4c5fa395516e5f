#include "kelto/data/Generator.h"

#include <algorithm>
#include <cstdlib>

#include "kelto/data/GeneratorBuilder.h"
#include "kelto/data/JsonText.h"

namespace kelto::data {
namespace generator {

GeneratedPlant PlantBuilder::Build(std::size_t components, std::uint64_t seed) {
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

int PlantBuilder::BoreMix() {
  const Int r = rng_.Range(0, 99);
  return static_cast<int>(r < 80   ? rng_.Range(5, 10)
                          : r < 95 ? rng_.Range(11, 13)
                                   : rng_.Range(14, 17));
}

void PlantBuilder::BeginLine(const Turtle& t) {
  line_inch_ = t.inch;
  static constexpr const char* kServices[][2] = {
      {"P", "Process"}, {"S", "Steam"}, {"CW", "Cooling water"}, {"N", "Nitrogen"}, {"D", "Drain"}};
  const auto& service = kServices[service_ >= 0 ? service_ : rng_.Range(0, 4)];
  lineId_ = (t.inch ? std::string(kSizes[t.size].nps) + "IN" : std::to_string(kSizes[t.size].dn)) +
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

Turtle PlantBuilder::NewTurtle(IVec pos, Dir dir, int size) {
  Turtle t;
  t.pos = t.origin = pos;
  t.dir = t.home = dir;
  t.size = size;
  t.inch = rng_.Chance(33);  // a third of the lines in inch bores
  t.joint = JointFor(size);
  return t;
}

void PlantBuilder::FillUnit(const UnitPlot& unit) {
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

void PlantBuilder::UnitLine(const UnitPlot& unit, Turtle t, bool branch) {
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

void PlantBuilder::Trimmings(Turtle& t) {
  if (Available() > 0 && rng_.Chance(35)) CommitIfFits(SupportOnLastPipe());
  if (Available() > 0 && t.joint != "SC" && rng_.Chance(30)) {
    Draft w;
    Turtle wt = t;
    Weld(w, wt);
    if (CommitIfFits(std::move(w))) t = wt;
  }
}

void PlantBuilder::RackLines(const UnitPlot& unit) {
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
    const Int length =
        std::abs(ys - ySlot) + (zl - zs) + std::abs(xt - xs) + (zl - zt) + std::abs(yt - ySlot);
    if (static_cast<Int>(Available()) < length / 40000 + 40) return;
    rack.Take(level, slot, std::min(xs, xt) - 20000, std::max(xs, xt) + 20000);
    const std::vector<IVec> corners = {
        {xs, ySlot, zs}, {xs, ySlot, zl}, {xt, ySlot, zl}, {xt, ySlot, zt}, {xt, yt, zt}};
    Turtle t = NewTurtle({xs, ys, zs}, unit.TowardRack(), size);
    RouteLine(t, corners, true, true);
  }
}

void PlantBuilder::Headers(int row) {
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
        const Int x = unit.CentreX() + (side ? 1 : -1) * (40000 + 30000 * h) - kSizes[size].tee;
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

void PlantBuilder::RouteLine(Turtle t, const std::vector<IVec>& corners, bool nozzleStart,
                             bool nozzleEnd) {
  t.origin = t.pos;
  BeginLine(t);
  Draft start;
  if (nozzleStart) Flange(start, t, true);
  if (!start.comps.empty() && !Commit(start)) return EndLine();
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const bool last = i + 1 == corners.size();
    const IVec& c = corners[i];
    const RunKind kind = IsVertical(t.dir)                    ? kRiserRun
                         : (t.dir == kEast || t.dir == kWest) ? kRackRun
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

Int PlantBuilder::Along(const Turtle& t, const IVec& target) {
  const IVec d = target - t.pos, u = Unit(t.dir);
  return d.x * u.x + d.y * u.y + d.z * u.z;
}

bool PlantBuilder::Run(Turtle& t, const IVec& target, RunKind kind, Int stop) {
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
    const bool onAxis =
        ft.dir == t.dir && Along(t, ft.pos) == std::abs(off.x) + std::abs(off.y) + std::abs(off.z);
    if (!onAxis || left(ft) < 2000 || d.comps.size() + 1 > Available() || !d.spawns.empty())
      continue;
    Commit(d);
    t = ft;
  }
  return left(t) == 0;
}

bool PlantBuilder::CommitIfFits(Draft d) {
  if (d.comps.empty() || d.comps.size() > Available()) return false;
  return Commit(d);
}

bool PlantBuilder::Commit(Draft& d) {
  if (d.comps.size() > Available()) return false;
  joints_ += d.joints;
  for (GComp& c : d.comps) Write(c);
  remaining_ -= d.comps.size();
  allowance_ -= d.comps.size();
  return true;
}

}  // namespace generator

GeneratedPlant GeneratePlant(std::size_t components, std::uint64_t seed) {
  return generator::PlantBuilder(components, seed).Build(components, seed);
}

}  // namespace kelto::data
