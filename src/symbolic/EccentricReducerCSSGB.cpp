#include "symbolic/EccentricReducerCSSGB.h"

#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"
#include "symbolic/SymbolFrame.h"

using namespace kelto::solid;

bool CEccentricReducerCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  IKeltoComponent* component = info.Component();
  const ComPtr<IKeltoPoint> r1 = FindPoint(component, u"Run_1");
  const ComPtr<IKeltoPoint> r2 = FindPoint(component, u"Run_2");
  const ComPtr<IKeltoPoint> c1 = FindPoint(component, u"Centre_1");
  const ComPtr<IKeltoPoint> c2 = FindPoint(component, u"Centre_2");
  if (!r1 || !r2 || !c1 || !c2) return false;
  if (IsInternal(r1.Get()) || IsInternal(r2.Get())) return false;
  if (!IsInternal(c1.Get()) || !IsInternal(c2.Get())) return false;

  // Each Run end is taken with the centre on its own axis, so a flange face
  // moves along that axis.
  CEndData e1, centre1, e2, centre2;
  info.EndData(r1.Get(), c1.Get(), e1, centre1);
  info.EndData(r2.Get(), c2.Get(), e2, centre2);
  const CVector3 x = e2.face - e1.face;
  // The symbol lies in the plane of the axis and the offset, so the flat side
  // of the reducer shows as a straight edge.
  const CVector3 offset = (PositionOf(c1.Get()) - PositionOf(c2.Get())).Normalised();
  const CSymbolFrame f(e1.face, x, offset);
  const double a = e1.pipeOD / 2.0, b = e2.pipeOD / 2.0;
  gb.Line(f.Map(0, a), f.Map(0, -a));
  gb.Line(f.Map(1, b), f.Map(0, a));
  gb.Line(f.Map(1, -b), f.Map(1, b));
  gb.Line(f.Map(0, -a), f.Map(1, -b));
  DrawFlangeBoxes(gb, e1, e2, offset);
  DrawLegSet(info, gb, OtherLegs(info));
  return true;
}
