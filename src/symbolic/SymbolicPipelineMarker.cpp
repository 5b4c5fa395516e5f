#include "symbolic/SymbolicPipelineMarker.h"

namespace kelto::symbolic {

double SymbolicMarkerSize(const kelto::solid::PipelineStart& start) {
  // The shared search measures 2 × bore; 0.75 of that is 1.5 × bore, and
  // since doubling is exact the product rounds exactly as 1.5 × bore would.
  return start.size * 0.75;
}

bool DrawSymbolicPipelineMarker(const kelto::solid::PipelineStart& start, IFGeometryCons& geometry,
                                std::int32_t colour) {
  if (!start.Complete()) return false;
  const double s = SymbolicMarkerSize(start);
  const CPoint3& p = start.start;
  const CVector3& mast = start.mast;
  const CVector3& pipe = start.arrow;
  const CPoint3 q = p + s * mast;
  const CPoint3 r = q + (s / 2) * mast;
  const CPoint3 flagTip = q + (s / 4) * mast + (s / 2) * pipe;
  geometry.AddLine(p, q, colour);
  geometry.AddLine(q, r, colour);
  geometry.AddLine(r, flagTip, colour);
  geometry.AddLine(flagTip, q, colour);
  return true;
}

bool DrawSymbolicPipelineMarker(IKeltoPipeline* pipeline, IFGeometryCons& geometry,
                                std::int32_t colour) {
  return DrawSymbolicPipelineMarker(kelto::solid::FindPipelineStart(pipeline), geometry, colour);
}

}  // namespace kelto::symbolic
