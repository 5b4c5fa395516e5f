// The ten standard view directions offered by the view control. "View" is
// the direction of sight, "up" the direction that points up the screen.
// World axes: x east, y north, z up.
//
//   0 svdNorthTopLeft      (1, 1, −1)   up (0, 0, 1)   the renderer's start
//   1 svdNorthTopRight     (−1, 1, −1)  up (0, 0, 1)
//   2 svdNorthBottomLeft   (1, −1, −1)  up (0, 0, 1)
//   3 svdNorthBottomRight  (−1, −1, −1) up (0, 0, 1)
//   4 svdLookDown          (0, 0, −1)   up (0, 1, 0)   plan, north up
//   5 svdLookUp            (0, 0, 1)    up (0, 1, 0)
//   6 svdLookEast          (1, 0, 0)    up (0, 0, 1)
//   7 svdLookWest          (−1, 0, 0)   up (0, 0, 1)
//   8 svdLookNorth         (0, 1, 0)    up (0, 0, 1)
//   9 svdLookSouth         (0, −1, 0)   up (0, 0, 1)
#pragma once

#include <optional>
#include <string_view>

#include "core/Vector3.h"

enum StandardViewDir : int {
  svdNorthTopLeft = 0,
  svdNorthTopRight = 1,
  svdNorthBottomLeft = 2,
  svdNorthBottomRight = 3,
  svdLookDown = 4,
  svdLookUp = 5,
  svdLookEast = 6,
  svdLookWest = 7,
  svdLookNorth = 8,
  svdLookSouth = 9,
};

inline constexpr int kStandardViewDirCount = 10;

struct CViewDirection {
  CVector3 View;
  CVector3 Up;
};

// The direction of a standard view; nothing for values outside 0…9 (which
// the control ignores).
std::optional<CViewDirection> GetStandardViewDir(int value);

// The enumeration's name without its "svd" prefix ("NorthTopLeft",
// "LookDown", …), for command lines and settings; empty outside 0…9.
std::string_view StandardViewDirName(int value);
// The value of a name as StandardViewDirName gives it, compared without
// regard to case, with or without the "svd" prefix; -1 when unknown.
int ParseStandardViewDir(std::string_view name);
