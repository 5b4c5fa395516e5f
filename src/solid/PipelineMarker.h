// The pipeline marker: a mast with an arrowhead standing on a pipeline's
// open start, so a person can see where each line begins and which way it
// runs.
//
// FindPipelineStart walks the pipeline's routes (Routes(1, 1)), their
// components and their legs in order, looking at each leg's FromPoint then
// ToPoint, and collects four findings, the first of each winning:
//   size   2 × the first positive bore (an inch bore × 25.5 first);
//   start  the first end (not internal) with no connected point;
//   arrow  once the start is found: the current leg's direction, unit length;
//   mast   once the start is found, on a leg longer than 0: east (1, 0, 0)
//          for a vertical leg, else up (0, 0, 1).
// The walk stops as soon as all four are known. A marker is drawn only when
// all four are: a line from the start P to A = P + size × mast, and a cone
// from (A, size / 1.5) to (A + size / 1.5 × arrow, 0).
#pragma once

#include <cstdint>

#include "core/GeometryCons.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"

namespace kelto::solid {

struct PipelineStart {
  bool hasSize = false;
  double size = 0.0;
  bool hasStart = false;
  CPoint3 start;
  bool hasArrow = false;
  CVector3 arrow;
  bool hasMast = false;
  CVector3 mast;

  bool Complete() const { return hasSize && hasStart && hasArrow && hasMast; }
};

// Throws _com_error for a failing or null piping object on the way.
PipelineStart FindPipelineStart(IKeltoPipeline* pipeline);

// Draws the marker when the search found everything; false when it did not.
bool DrawPipelineMarker(const PipelineStart& start, IFGeometryCons& geometry, std::int32_t colour);

}  // namespace kelto::solid
