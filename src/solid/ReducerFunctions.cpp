// "TeedConcentricReducer", "TeedEccentricReducer" and "EccentricReducer":
// reducers drawn as cones (concentric) or snouts (eccentric, whose section
// planes stay square to the pipe axis while the axis steps sideways).
#include "solid/ConstructionFunctions.h"
#include "solid/TwoCentreRun.h"

#include "platform/com/Strings.h"

namespace kelto::solid {

bool TeedConcentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                           IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> c = FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> b = FindPoint(component, u"End_1");
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  if (!c || !b || !r1 || !r2)
    return builder.Decline("a point of Centre_1, End_1, Run_1, Run_2 is missing");
  if (IsInternal(r1.Get()) || IsInternal(r2.Get()) || IsInternal(b.Get()) || !IsInternal(c.Get()))
    return builder.Decline("Run_1, Run_2 and End_1 must be ends and Centre_1 internal");

  CEndData e1, e2, eC, eB;
  info.EndData(r1.Get(), r2.Get(), e1, e2);
  info.EndData(c.Get(), b.Get(), eC, eB);

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  if (!e1.face.IsEqual(e2.face)) pen.Cone(e1.face, e1.pipeOD, e2.face, e2.pipeOD);
  pen.Flange(e2);
  if (!eC.face.IsEqual(eB.face)) pen.Cone(eC.face, eB.pipeOD, eB.face, eB.pipeOD);
  pen.Flange(eB);
  return true;
}

bool TeedEccentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                          IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> c1 = FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> c2 = FindPoint(component, u"Centre_2");
  const ComPtr<IKeltoPoint> b = FindPoint(component, u"End_1");
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  if (!c1 || !c2 || !b || !r1 || !r2)
    return builder.Decline("a point of Centre_1, Centre_2, End_1, Run_1, Run_2 is missing");
  if (IsInternal(r1.Get()) || IsInternal(r2.Get()) || IsInternal(b.Get()) ||
      !IsInternal(c1.Get()) || !IsInternal(c2.Get()))
    return builder.Decline("Run_1, Run_2 and End_1 must be ends and both centres internal");

  CEndData e1, e2, eC1, eB, unused;
  info.EndData(r1.Get(), c1.Get(), e1, unused);
  info.EndData(c2.Get(), r2.Get(), unused, e2);
  info.EndData(c1.Get(), b.Get(), eC1, eB);
  const CVector3 axis = (e2.face - PositionOf(c2.Get())).Normalised();

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  if (!e1.face.IsEqual(e2.face)) pen.Snout(e1.face, e1.pipeOD, e2.face, e2.pipeOD, axis);
  pen.Flange(e2);
  if (!eC1.face.IsEqual(eB.face)) pen.Cone(eC1.face, eB.pipeOD, eB.face, eB.pipeOD);
  pen.Flange(eB);
  return true;
}

bool EccentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                      IFGeometryCons& g) {
  if (!info.Details() ||
      kelto::com::BstrView(ShapeCodeOf(info.Details()).GetBSTR()) != u"Offset_2D")
    return builder.Decline("the shape code is not \"Offset_2D\"");
  const std::optional<CTwoCentreRun> run = ReadTwoCentreRun(builder, info);
  if (!run) return false;
  const CEndData& e1 = run->end1;
  const CEndData& e2 = run->end2;
  const CVector3 axis = (PositionOf(run->centre1.Get()) - PositionOf(run->run1.Get())).Normalised();

  CSolidPen pen(builder, info, g);
  pen.Flange(e1);
  if (!e1.face.IsEqual(e2.face)) pen.Snout(e1.face, e1.pipeOD, e2.face, e2.pipeOD, axis);
  pen.Flange(e2);
  return true;
}

}  // namespace kelto::solid
