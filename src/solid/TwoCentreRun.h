// The run of an in-line item that passes through two centres, Run_1 →
// Centre_1 → Centre_2 → Run_2: the return bend ("Bend2") and the eccentric
// reducer ("EccentricReducer") read it the same way before they draw.
#pragma once

#include <optional>

#include "solid/ConstructionFunctions.h"

namespace kelto::solid {

struct CTwoCentreRun {
  ComPtr<IKeltoPoint> centre1, centre2, run1, run2;
  // The ends of the run: Run_1 seen along Run_1–Centre_1, Run_2 along
  // Centre_2–Run_2, so that their flanges are cut to those legs.
  CEndData end1, end2;
};

// The run of info's component, or nothing (after telling the builder why)
// when one of the four points is missing or the runs are not ends or the
// centres not internal.
std::optional<CTwoCentreRun> ReadTwoCentreRun(CKelto3ComponentGeometryBuilder& builder,
                                              CComponentInfo& info);

}  // namespace kelto::solid
