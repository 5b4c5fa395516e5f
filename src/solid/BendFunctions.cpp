// "Bend1", "Bend2" and "TeedBend": bends drawn as curved cones around their
// tangent intersection points, with flanges at flanged ends.
#include "solid/ConstructionFunctions.h"
#include "solid/TwoCentreRun.h"

namespace kelto::solid {

namespace {

CPoint3 Mid(const CPoint3& a, const CPoint3& b) {
  return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

}  // namespace

bool Bend1(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> c = FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  if (!c || !r1 || !r2) return builder.Decline("a point of Centre_1, Run_1, Run_2 is missing");
  if (IsInternal(r1.Get()) || IsInternal(r2.Get()) || !IsInternal(c.Get()))
    return builder.Decline("Run_1 and Run_2 must be ends and Centre_1 internal");

  CEndData e1, e2, unused;
  info.EndData(r1.Get(), c.Get(), e1, unused);
  info.EndData(c.Get(), r2.Get(), unused, e2);
  const CPoint3 centre = PositionOf(c.Get());
  if (centre.IsEqual(e1.face) || centre.IsEqual(e2.face) || e1.face.IsEqual(e2.face))
    return builder.Decline("a run face meets the centre or the other face");

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  pen.CurvedCone(e1.face, e1.pipeOD, e2.face, e2.pipeOD, centre);
  pen.Flange(e2);
  return true;
}

bool Bend2(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  const std::optional<CTwoCentreRun> run = ReadTwoCentreRun(builder, info);
  if (!run) return false;
  const CEndData& e1 = run->end1;
  const CEndData& e2 = run->end2;
  const CPoint3 centre1 = PositionOf(run->centre1.Get());
  const CPoint3 centre2 = PositionOf(run->centre2.Get());
  const CPoint3 m = Mid(centre1, centre2);
  const double dm = (e1.pipeOD + e2.pipeOD) * 0.5;
  if (e1.face.IsEqual(centre1) || m.IsEqual(centre1) || centre2.IsEqual(e2.face))
    return builder.Decline("a run face meets its centre, or the centres coincide");

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  pen.CurvedCone(e1.face, e1.pipeOD, m, dm, centre1);
  pen.CurvedCone(m, dm, e2.face, e2.pipeOD, centre2);
  pen.Flange(e2);
  return true;
}

bool TeedBend(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> c = FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  const ComPtr<IKeltoPoint> b = FindPoint(component, u"End_1");
  if (!c || !r1 || !r2 || !b)
    return builder.Decline("a point of Centre_1, Run_1, Run_2, End_1 is missing");
  if (IsInternal(r1.Get()) || IsInternal(r2.Get()) || IsInternal(b.Get()) || !IsInternal(c.Get()))
    return builder.Decline("Run_1, Run_2 and End_1 must be ends and Centre_1 internal");

  CEndData e1, e2, eB, unused;
  info.EndData(r1.Get(), c.Get(), e1, unused);
  info.EndData(c.Get(), r2.Get(), unused, e2);
  info.EndData(c.Get(), b.Get(), unused, eB);
  const CPoint3 centre = PositionOf(c.Get());
  if (e1.face.IsEqual(centre) || e2.face.IsEqual(centre) || e1.face.IsEqual(e2.face))
    return builder.Decline("a run face meets the centre or the other face");

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  pen.CurvedCone(e1.face, e1.pipeOD, e2.face, e2.pipeOD, centre);
  pen.Flange(e2);
  if (!centre.IsEqual(eB.face)) pen.Cone(centre, eB.pipeOD, eB.face, eB.pipeOD);
  pen.Flange(eB);
  return true;
}

}  // namespace kelto::solid
