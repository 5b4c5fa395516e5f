// Sweep: tessellates a cross-section swept along a path into a quad mesh
// with one normal per point.
//
// Sweep(mesh, path, pathSteps, section, sectionSteps):
// - Each step count is raised to its owner's GetMinSteps and capped at
//   kMaxSweepSteps (a script can set the step options to any integer; the
//   cap keeps the mesh's size and index arithmetic in range).
// - The mesh is Init-ed to (sectionSteps + 1) × (pathSteps + 1): section i at
//   t = i / pathSteps is placed by SectionFrame(path, t), and its point j at
//   s = j / sectionSteps is the section's point mapped through that frame.
//   The seam point is repeated (s = 0 and s = 1), not wrapped.
// - The normal at each point is estimated by central differences with step
//   kSweepDelta in both parameters: U across the section (s ± δ, same frame),
//   V along the path (t ± δ, each with its own frame), normal =
//   normalise(V × U). For a circle swept along either path kind whose
//   direction runs the way the path goes, the normals point away from the
//   path. A degenerate spot (zero differences) gets a zero normal, never NaN.
// - Frames are built once per section (three per section), the section is
//   evaluated five times per point.
// Returns `mesh`.
#pragma once

#include "render/ContQuadMesh.h"

class IFSweepPath;
class IFSweepCS;

// Finite-difference step of the normal estimate, in both parameters.
inline constexpr double kSweepDelta = 0.01;
// Upper bound on either step count of one sweep.
inline constexpr int kMaxSweepSteps = 1024;

CContQuadMesh& Sweep(CContQuadMesh& mesh, const IFSweepPath& path, int pathSteps,
                     const IFSweepCS& section, int sectionSteps);
