// The flat records of a piping file: points, legs and attributes.
//
// A file keeps each kind in one contiguous array; a component owns a slice of
// each. Records refer to each other by index into those arrays and to text by
// StringPool id, so a loaded file is a handful of large allocations however
// many components it holds. Records are replaced wholesale when the file is
// reloaded; only File, Pipeline and Component objects keep their addresses.
#pragma once

#include <cstdint>

#include "kelto/data/StringPool.h"
#include "kelto/data/Vec3.h"

namespace kelto::data {

inline constexpr std::int32_t kNoIndex = -1;

// How a bore is measured. Consumers treat 1 as inches and any other value as
// millimetres; files may only say 1 or 2.
enum BoreUnit : std::uint8_t { kBoreInch = 1, kBoreMillimetre = 2 };

struct Point {
  Vec3 position;
  double bore = 0.0;                  // nominal bore in `boreUnits`
  StringId name = 0;                  // "Run_1", "Centre_1", ...
  StringId endType = 0;               // "FL", "BW", "SW", "SC", ... or empty
  std::uint32_t component = 0;        // index of the owner in File::Components()
  std::int32_t connected = kNoIndex;  // index of the matching point, or kNoIndex at an open end
  std::uint8_t boreUnits = kBoreMillimetre;
  bool internal = false;  // a centre or other construction point, never connected
};

struct Leg {
  Vec3 direction;  // unit vector unless the file gave its own
  double length = 0.0;
  std::uint32_t from = 0;  // point indices in File::AllPoints()
  std::uint32_t to = 0;
  bool hasDirection = false;    // false: zero-length leg without a direction in the file
  bool directionGiven = false;  // the values came from the file, not from positions
  bool lengthGiven = false;
};

struct Attribute {
  StringId name = 0;
  StringId value = 0;
};

}  // namespace kelto::data
