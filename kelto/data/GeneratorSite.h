// The ground plan of a generated plant (private to the library): rows of
// process units on both sides of pipe racks, and the slots of the racks that
// lines running along them occupy. Integers only, like the rest of the
// generator, so that a plan is the same on every platform.
//
// A row is a rack running east with units north and south of it; rows are
// stacked north, and the number of rows and of units per side is chosen so
// that the site is about 1.6 times as wide as it is deep (a picture's shape)
// with about kComponentsPerUnit components a unit.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "kelto/data/GeneratorTables.h"

namespace kelto::data::generator {

inline constexpr std::size_t kComponentsPerUnit = 600;
inline constexpr Int kUnitWidth = 600000;  // along the rack (60 m)
inline constexpr Int kUnitDepth = 450000;  // away from it (45 m)
inline constexpr Int kUnitGap = 100000;    // road between neighbouring units
inline constexpr Int kRackHalf = 45000;    // half the rack's width
inline constexpr Int kRackRoad = 80000;    // rack edge to unit
inline constexpr Int kRowRoad = 150000;    // between the units of two rows
inline constexpr Int kRowPitch = 2 * (kRackHalf + kRackRoad + kUnitDepth) + kRowRoad;
inline constexpr int kRackLevels = 3;
inline constexpr Int kLevelZ[kRackLevels] = {60000, 80000, 100000};
inline constexpr int kRackSlots = 10;
inline constexpr Int kSlotPitch = 9000;

struct UnitPlot {
  Int x0, y0, x1, y1;
  int row;
  bool north;
  // The plot's edge facing the rack, and the direction from the plot to it.
  Int RackSideY() const { return north ? y0 : y1; }
  Dir TowardRack() const { return north ? kSouth : kNorth; }
  Int CentreX() const { return (x0 + x1) / 2; }
};

struct Rack {
  Int y = 0;           // centre line
  Int x0 = 0, x1 = 0;  // where it starts and ends
  // Occupied stretches [from, to] of x, per level and slot.
  std::vector<std::pair<Int, Int>> used[kRackLevels][kRackSlots];

  Int SlotY(int slot) const { return y - (kRackSlots - 1) * kSlotPitch / 2 + slot * kSlotPitch; }
  bool Free(int level, int slot, Int from, Int to) const {
    for (const auto& [a, b] : used[level][slot])
      if (from <= b && a <= to) return false;
    return true;
  }
  void Take(int level, int slot, Int from, Int to) { used[level][slot].push_back({from, to}); }
};

struct SitePlan {
  std::vector<Rack> racks;
  std::vector<UnitPlot> units;  // row by row, west to east, north before south
  int unitsPerSide = 1;
};

inline SitePlan PlanSite(std::size_t components) {
  const std::size_t wanted = std::max<std::size_t>(2, components / kComponentsPerUnit);
  // Units of a row: 2·k; rows r. Width k·(unit + gap), depth r·kRowPitch;
  // width ≈ 1.6 · depth gives k ≈ 3.3 r, so units ≈ 6.6 r².
  int rows = 1;
  while (6.6 * (rows + 0.5) * (rows + 0.5) <= static_cast<double>(wanted)) ++rows;
  const int k = std::max<int>(1, static_cast<int>((wanted + 2 * rows - 1) / (2 * rows)));
  SitePlan plan;
  plan.unitsPerSide = k;
  const Int pitch = kUnitWidth + kUnitGap;
  for (int r = 0; r < rows; ++r) {
    Rack rack;
    rack.y = r * kRowPitch;
    rack.x0 = -kUnitGap * 2;
    rack.x1 = k * pitch + kUnitGap;
    plan.racks.push_back(std::move(rack));
    const Int near = kRackHalf + kRackRoad;
    for (int i = 0; i < k; ++i) {
      const Int x0 = i * pitch;
      plan.units.push_back(
          {x0, r * kRowPitch + near, x0 + kUnitWidth, r * kRowPitch + near + kUnitDepth, r, true});
      plan.units.push_back(
          {x0, r * kRowPitch - near - kUnitDepth, x0 + kUnitWidth, r * kRowPitch - near, r, false});
    }
  }
  return plan;
}

}  // namespace kelto::data::generator
