// Fixed data and integer geometry of the plant generator (private to the
// library): nominal sizes with their ASME dimensions, axis directions, offset
// angles in millionths, and the random sequence.
#pragma once

#include <cstdint>
#include <iterator>

namespace kelto::data::generator {

// All lengths in tenths of a millimetre; the file says millimetres.
using Int = std::int64_t;

struct IVec {
  Int x = 0, y = 0, z = 0;
  friend IVec operator+(IVec a, IVec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend IVec operator-(IVec a, IVec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend IVec operator*(IVec a, Int s) { return {a.x * s, a.y * s, a.z * s}; }
};

enum Dir { kEast, kWest, kNorth, kSouth, kUp, kDown };

inline IVec Unit(Dir d) {
  static constexpr IVec kUnits[] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                    {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
  return kUnits[d];
}
inline const char* Compass(Dir d) {
  static constexpr const char* kNames[] = {"EAST", "WEST", "NORTH", "SOUTH", "UP", "DOWN"};
  return kNames[d];
}
inline Dir Opposite(Dir d) { return static_cast<Dir>(d ^ 1); }
inline bool IsVertical(Dir d) { return d == kUp || d == kDown; }

// Nominal sizes with ASME dimensions (tenths of a millimetre): outside
// diameter (B36.10), weld-neck flange length through hub (B16.5 class 150),
// gate valve face to face (B16.10 class 150), tee centre to end (B16.9) and
// concentric reducer length from this size (B16.9).
struct NominalSize {
  int dn;
  int nps100;  // NPS x 100
  const char* nps;
  Int od, flange, valve, tee, reducer;
};
inline constexpr NominalSize kSizes[] = {
    {15, 50, "0.5", 213, 480, 1080, 250, 380},
    {20, 75, "0.75", 267, 520, 1170, 290, 380},
    {25, 100, "1", 334, 560, 1270, 380, 510},
    {32, 125, "1.25", 422, 570, 1400, 480, 510},
    {40, 150, "1.5", 483, 620, 1650, 570, 640},
    {50, 200, "2", 603, 640, 1780, 640, 760},
    {65, 250, "2.5", 730, 700, 1900, 760, 890},
    {80, 300, "3", 889, 700, 2030, 860, 890},
    {100, 400, "4", 1143, 760, 2290, 1050, 1020},
    {150, 600, "6", 1683, 890, 2670, 1430, 1400},
    {200, 800, "8", 2191, 1020, 2920, 1780, 1520},
    {250, 1000, "10", 2730, 1020, 3300, 2160, 1780},
    {300, 1200, "12", 3238, 1140, 3560, 2540, 2030},
    {350, 1400, "14", 3556, 1270, 3810, 2790, 3300},
    {400, 1600, "16", 4064, 1270, 4060, 3050, 3560},
    {450, 1800, "18", 4572, 1400, 4320, 3430, 3810},
    {500, 2000, "20", 5080, 1440, 4570, 3810, 5080},
    {600, 2400, "24", 6096, 1520, 5080, 4320, 5080},
};
inline constexpr int kSizeCount = static_cast<int>(std::size(kSizes));

// Long-radius elbow: 1.5 x NPS inches = 38.1 mm per inch of NPS.
inline Int ElbowRadius(int size) { return kSizes[size].nps100 * 381 / 100; }
// Pulled bends: three times the outside diameter.
inline Int PulledRadius(int size) { return kSizes[size].od * 3; }

// Angles of offsets: cos, sin and tan(half angle), in millionths, so the
// layout needs no floating point at all.
struct Angle {
  int degrees;
  Int cos, sin, tanHalf;
};
inline constexpr Angle k60{60, 500000, 866025, 577350};
inline constexpr Angle k45{45, 707107, 707107, 414214};
inline constexpr Angle k30{30, 866025, 500000, 267949};
inline constexpr Angle k15{15, 965926, 258819, 131652};
inline constexpr Angle k75{75, 258819, 965926, 767327};

inline Int Micro(Int length, Int micro) {
  const Int p = length * micro;
  return (p >= 0 ? p + 500000 : p - 500000) / 1000000;
}

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  Int Range(Int lo, Int hi) {  // inclusive
    return lo + static_cast<Int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool Chance(int percent) { return Range(0, 99) < percent; }

 private:
  std::uint64_t state_;
};

}  // namespace kelto::data::generator
