#include "solid/DimensionTables.h"

#include <array>
#include <cstddef>

namespace kelto::solid {
namespace {

struct Row {
  double key;
  double value;
};

// clang-format off
// Flange outside diameter ÷ bore, keyed by the bore in millimetres.
constexpr std::array<Row, 13> kFlangeODRatio{{
    {55, 3.0},
    {80, 5.0 / 2},
    {105, 9.0 / 4},
    {160, 11.0 / 6},
    {210, 27.0 / 16},
    {265, 8.0 / 5},
    {315, 19.0 / 12},
    {365, 3.0 / 2},
    {420, 47.0 / 32},
    {470, 25.0 / 18},
    {520, 11.0 / 8},
    {620, 4.0 / 3},
    {1000, 6.0 / 5},
}};

// Flange thickness by nominal size in inches (thickness in inches).
constexpr std::array<Row, 20> kInchThickness{{
    {0.5, 0.4375}, {0.75, 0.5},   {1, 0.5625},   {1.25, 0.625}, {1.5, 0.6875},
    {2, 0.75},     {2.5, 0.875},  {3, 0.9375},   {3.5, 0.9375}, {4, 0.9375},
    {5, 0.9375},   {6, 1},        {8, 1.125},    {10, 1.1875},  {12, 1.25},
    {14, 1.375},   {16, 1.4375},  {18, 1.5625},  {20, 1.6875},  {24, 1.875},
}};

// Flange thickness by nominal size in millimetres (thickness in mm).
constexpr std::array<Row, 20> kMillimetreThickness{{
    {15, 11.1},  {20, 12.7},  {25, 14.3},  {32, 15.9},  {40, 17.5},
    {50, 19.5},  {65, 22.2},  {80, 23.8},  {90, 23.8},  {100, 23.8},
    {125, 23.8}, {150, 25.4}, {200, 28.6}, {250, 30.2}, {300, 31.7},
    {350, 34.9}, {400, 36.5}, {450, 39.7}, {500, 42.9}, {600, 47.6},
}};
// clang-format on

// The first row whose key is not less than `key`; the last row past the end.
template <std::size_t N>
const Row& RowFor(const std::array<Row, N>& table, double key) {
  for (const Row& row : table) {
    if (!(row.key < key)) return row;
  }
  return table.back();
}

bool IsInch(long boreUnits) { return boreUnits == kInchBoreUnits; }

}  // namespace

double DefaultPipeOD(double bore, long boreUnits) {
  return IsInch(boreUnits) ? bore * kMillimetresPerInch : bore;
}

double DefaultFlangeOD(double bore, long boreUnits) {
  const double millimetres = DefaultPipeOD(bore, boreUnits);
  return RowFor(kFlangeODRatio, millimetres).value * millimetres;
}

double DefaultFlangeThickness(double bore, long boreUnits) {
  const Row& row =
      IsInch(boreUnits) ? RowFor(kInchThickness, bore) : RowFor(kMillimetreThickness, bore);
  const double thickness = row.value / row.key * bore;
  return IsInch(boreUnits) ? thickness * kMillimetresPerInch : thickness;
}

std::optional<CVector3> CompassDirection(std::u16string_view name) {
  struct Entry {
    std::u16string_view name;
    CVector3 direction;
  };
  static constexpr std::array<Entry, 6> kCompass{{
      {u"UP", {0, 0, 1}},
      {u"DOWN", {0, 0, -1}},
      {u"NORTH", {0, 1, 0}},
      {u"SOUTH", {0, -1, 0}},
      {u"EAST", {1, 0, 0}},
      {u"WEST", {-1, 0, 0}},
  }};
  for (const Entry& entry : kCompass) {
    if (entry.name == name) return entry.direction;
  }
  return std::nullopt;
}

}  // namespace kelto::solid
