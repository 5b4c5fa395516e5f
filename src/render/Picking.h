// Picking: which model nodes lie under a screen point, nearest first, through
// OpenGL's selection mode over the same display lists that draw the model.
// Every node list pushes its node's selection name, so the innermost name of
// a hit is the node that owns the primitive hit, even though a parent's list
// calls its children's.
//
// Screen points have their origin at the bottom-left of the viewport.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/BoundBox.h"
#include "render/CameraMath.h"

class CModelNode;

struct CHitRecord {
  CModelNode* Node = nullptr;
  double MinDepth = 0.0;  // window depth in [0, 1]
  double MaxDepth = 0.0;
};

// Sorted by minimum depth, nearest first.
using CHitList = std::vector<CHitRecord>;

// Words in the selection buffer at first, the most it may grow to, and the
// side of the pick box in pixels.
inline constexpr std::size_t kSelectionBufferSize = 0x800;
inline constexpr std::size_t kSelectionBufferLimit = std::size_t{1} << 24;
inline constexpr double kPickBoxSize = 5.0;

// Turns a selection name back into its node; null for a name that names no
// node (any more).
using NameResolver = std::function<CModelNode*(std::uint32_t name)>;

// Decodes `records` selection records from `buffer`: each is (name count c,
// minimum depth, maximum depth, c names); the hit's node is the last name;
// depths are the unsigned words divided by 4294967295. Records ≤ 0 (no hits,
// or an overflow, which GL reports as −1) give an empty list, never a partial
// one. A record without names, or whose name resolves to null, is skipped; a
// record that runs past the buffer ends the walk. Sorted nearest first.
CHitList DecodeSelectionBuffer(std::span<const std::uint32_t> buffer, int records,
                               const NameResolver& resolve);

// Pushes the projection matrix and narrows it to a `size` × `size` pixel box
// around (x, y) of the current viewport (gluPickMatrix applied before the
// saved projection). The caller pops it (glMatrixMode (GL_PROJECTION),
// glPopMatrix); the matrix mode is left at GL_MODELVIEW.
void PushPickMatrix(double x, double y, double size);

// Runs `draw` in selection mode (names initialised) with the current
// matrices and decodes the hits. A pass whose records overflow the buffer
// is run again with a buffer twice the size, up to kSelectionBufferLimit
// words: a plant seen whole gives thousands of records, and an overflow
// read as "no hits" would say nothing is visible. The render mode is
// GL_RENDER again afterwards.
CHitList SelectionPass(const std::function<void()>& draw, const NameResolver& resolve);
// The same pass over one display list.
CHitList SelectionPass(unsigned list, const NameResolver& resolve);

// Whether anything inside `box` can show in the window rectangle
// [x0, x1] × [y0, y1] under `camera`: false only when the box's projection
// certainly misses it. A box reaching behind the eye, or an empty one that
// is not, counts as a possible hit; an empty box never does.
bool BoxMayCoverRegion(const CBoundBox& box, const CCameraMatrices& camera, double x0, double y0,
                       double x1, double y1);

// The window depths of `box`'s corners under `camera`, clamped to [0, 1],
// widening [nearest, farthest]; false (nothing widened) for an empty box or
// one with a corner at or behind the eye.
bool WidenByBoxDepth(const CBoundBox& box, const CCameraMatrices& camera, double& nearest,
                     double& farthest);
