// CViewState: where the camera is. The renderer keeps two of them, the
// current view and the saved view that drags restore on every step.
//
// The eye sits Distance away from Centre, looking at it; Rotation turns world
// axes into eye axes (x right, y up the screen, z towards the viewer). The
// model-view matrix of a view is therefore
//   lookAt(eye (0, 0, Distance), target 0, up y) · Rotation · translate(−Centre).
#pragma once

#include <array>

#include "core/Point3.h"

// 16 doubles in OpenGL's column order (element [col * 4 + row]).
using CGLMatrix = std::array<double, 16>;

inline constexpr CGLMatrix kGLIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct CViewState {
  double Distance = 1.0;
  CGLMatrix Rotation = kGLIdentity;
  CPoint3 Centre;

  // Two views are equal when the distances and all sixteen rotation values
  // are exactly equal and the centres differ by less than 0.001 in every
  // coordinate. Camera operations report "changed" as "not equal to the view
  // before", so the tolerance on the centre keeps round-off of a pan that
  // came back to its start from counting as a change, while any real turn or
  // zoom does.
  bool operator==(const CViewState& other) const;
  bool operator!=(const CViewState& other) const { return !(*this == other); }
};
