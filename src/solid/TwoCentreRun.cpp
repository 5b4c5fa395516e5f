#include "solid/TwoCentreRun.h"

namespace kelto::solid {

std::optional<CTwoCentreRun> ReadTwoCentreRun(CKelto3ComponentGeometryBuilder& builder,
                                              CComponentInfo& info) {
  IKeltoComponent* component = info.Component();
  CTwoCentreRun run;
  run.centre1 = FindPoint(component, u"Centre_1");
  run.centre2 = FindPoint(component, u"Centre_2");
  run.run1 = FindPoint(component, u"Run_1");
  run.run2 = FindPoint(component, u"Run_2");
  if (!run.centre1 || !run.centre2 || !run.run1 || !run.run2) {
    builder.Decline("a point of Centre_1, Centre_2, Run_1, Run_2 is missing");
    return std::nullopt;
  }
  if (IsInternal(run.run1.Get()) || IsInternal(run.run2.Get()) || !IsInternal(run.centre1.Get()) ||
      !IsInternal(run.centre2.Get())) {
    builder.Decline("Run_1 and Run_2 must be ends and both centres internal");
    return std::nullopt;
  }
  CEndData unused;
  info.EndData(run.run1.Get(), run.centre1.Get(), run.end1, unused);
  info.EndData(run.centre2.Get(), run.run2.Get(), unused, run.end2);
  return run;
}

}  // namespace kelto::solid
