// The symbolic pipeline marker: a flag on a mast standing on a pipeline's
// open start, drawn in lines so that it reads like the rest of a single-line
// drawing.
//
// The search is the solid builder's (kelto::solid::FindPipelineStart: routes,
// entries, legs in order, FromPoint then ToPoint; the start is the first open
// end, the flag direction and the mast come from the legs met from there on;
// the mast is east for a vertical leg, else up). Only the size differs: the
// symbolic marker is 1.5 × the first positive bore in millimetres (an inch
// bore × 25.5), where the solid one is 2 ×.
//
// With P the start, A the mast direction, C the pipe direction and s the
// size: Q = P + s·A, R = Q + s/2·A, S = Q + s/4·A + s/2·C; lines P–Q (the
// mast), Q–R, R–S and S–Q (a triangular flag pointing along the pipe).
#pragma once

#include <cstdint>

#include "core/GeometryCons.h"
#include "solid/PipelineMarker.h"

namespace kelto::symbolic {

// The marker size of a completed search: 1.5 × the first positive bore.
double SymbolicMarkerSize(const kelto::solid::PipelineStart& start);

// Draws the four lines when the search found all four things; false (and
// nothing drawn) when it did not.
bool DrawSymbolicPipelineMarker(const kelto::solid::PipelineStart& start, IFGeometryCons& geometry,
                                std::int32_t colour);

// Searches the pipeline and draws its marker. Throws _com_error for a failing
// or null piping object met on the way.
bool DrawSymbolicPipelineMarker(IKeltoPipeline* pipeline, IFGeometryCons& geometry,
                                std::int32_t colour);

}  // namespace kelto::symbolic
