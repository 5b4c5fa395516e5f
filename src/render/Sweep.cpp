#include "render/Sweep.h"

#include <algorithm>

#include "core/Matrix44.h"
#include "render/Frames.h"
#include "render/SweepCS.h"
#include "render/SweepPath.h"

namespace {

int ClampSteps(int steps, int minimum) {
  return std::clamp(steps, minimum, std::max(minimum, kMaxSweepSteps));
}

CPoint3 Place(const CMatrix44& frame, const CVector3& local) {
  return frame.Transform(CPoint3(local));
}

}  // namespace

CContQuadMesh& Sweep(CContQuadMesh& mesh, const IFSweepPath& path, int pathSteps,
                     const IFSweepCS& section, int sectionSteps) {
  pathSteps = ClampSteps(pathSteps, path.GetMinSteps());
  sectionSteps = ClampSteps(sectionSteps, section.GetMinSteps());
  mesh.Init(sectionSteps + 1, pathSteps + 1);

  const double h = kSweepDelta;
  for (int i = 0; i <= pathSteps; ++i) {
    const double t = double(i) / double(pathSteps);
    const CMatrix44 f = SectionFrame(path, t);
    const CMatrix44 fBefore = SectionFrame(path, t - h);
    const CMatrix44 fAfter = SectionFrame(path, t + h);
    for (int j = 0; j <= sectionSteps; ++j) {
      const double s = double(j) / double(sectionSteps);
      const CPoint3 p = Place(f, section.GetPoint(t, s));
      const CPoint3 sBefore = Place(f, section.GetPoint(t, s - h));
      const CPoint3 sAfter = Place(f, section.GetPoint(t, s + h));
      const CPoint3 tBefore = Place(fBefore, section.GetPoint(t - h, s));
      const CPoint3 tAfter = Place(fAfter, section.GetPoint(t + h, s));
      const CVector3 u = ((p - sBefore) + (sAfter - p)) * 0.5;
      const CVector3 v = ((p - tBefore) + (tAfter - p)) * 0.5;
      mesh.Point(j, i) = p;
      mesh.Normal(j, i) = UnitVector(v.Cross(u));
    }
  }
  return mesh;
}
