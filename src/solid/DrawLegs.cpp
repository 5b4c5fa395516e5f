// "DrawLegs": the function that draws every component. Each leg becomes a
// cone (a line when it has no diameter, discs when it has no length) between
// its end faces, with flanges at flanged ends.
#include <algorithm>

#include "platform/com/Api.h"
#include "solid/ConstructionFunctions.h"

namespace kelto::solid {

namespace {

// Walks from an internal point along the piping, through the component's own
// internal points, to the end beyond them; null when the walk ends elsewhere
// (an open end, another component's centre).
//
// Each step of the walk follows a leg of this component, so a walk longer
// than the component has legs is going round a loop of internal points: it is
// cut off there rather than left to run for ever.
ComPtr<IKeltoPoint> WalkToEnd(IKeltoPathWalker* walker, IKeltoPoint* start, IKeltoLeg* leg,
                              IUnknown* self, long legCount) {
  kelto::com::ThrowIfFailed(walker->Start(start, leg), kelto::com::IidOf<IKeltoPathWalker>());
  ComPtr<IKeltoPoint> point;
  for (long steps = 0; steps <= legCount + 1; ++steps) {
    kelto::com::ThrowIfFailed(walker->Next(point.Put()), kelto::com::IidOf<IKeltoPathWalker>());
    if (!point) return {};
    if (!IsInternal(point.Get())) return point;
    if (IdentityOf(OwnerOf(point.Get()).Get()).Get() != self) return {};
  }
  return {};
}

ComPtr<IKeltoPathWalker> CreateWalker() {
  ComPtr<IKeltoPathWalker> walker;
  kelto::com::ThrowIfFailed(
      CoCreateInstance(kelto::clsid::KeltoPathWalker, nullptr, CLSCTX_INPROC_SERVER,
                       kelto::com::IidOf<IKeltoPathWalker>(), walker.PutVoid()),
      kelto::com::IidOf<IKeltoPathWalker>());
  Require(walker);
  return walker;
}

}  // namespace

bool DrawLegs(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g) {
  IKeltoComponent* component = info.Component();
  CSolidPen pen(builder, info, g);
  const ComPtr<IKeltoLegs> legs = LegsOf(component);
  const long count = CountOf(legs.Get());
  ComPtr<IKeltoPathWalker> walker;
  ComPtr<IUnknown> self;

  for (long i = 0; i < count; ++i) {
    const ComPtr<IKeltoLeg> leg = LegAt(legs.Get(), i);
    const LegPoints points = PointsOf(component, leg.Get());
    if (!points.from || !points.to) continue;
    IKeltoPoint* pa = points.from.Get();
    IKeltoPoint* pb = points.to.Get();

    CEndData ea, eb;
    info.EndData(pa, pb, ea, eb);
    double da = ea.pipeOD;
    double db = eb.pipeOD;
    const bool internalA = IsInternal(pa);
    const bool internalB = IsInternal(pb);

    if (internalA && internalB) {
      // A leg between two centres has no bore of its own: take the sizes of
      // the ends the piping reaches through this component's centres.
      if (!walker) {
        walker = CreateWalker();
        self = IdentityOf(component);
      }
      if (const auto x = WalkToEnd(walker.Get(), pa, leg.Get(), self.Get(), count))
        da = info.PipeOD(x.Get());
      if (const auto y = WalkToEnd(walker.Get(), pb, leg.Get(), self.Get(), count))
        db = info.PipeOD(y.Get());
      if (da == 0.0 || db == 0.0) da = db = std::max(da, db);
    } else if (internalA) {
      da = db;
    } else if (internalB) {
      db = da;
    }

    pen.Flange(ea);
    if (!ea.face.IsEqual(eb.face)) {
      if (da == 0.0 && db == 0.0) {
        pen.Line(ea.face, eb.face);
      } else {
        pen.Cone(ea.face, da, eb.face, db);
      }
    } else {
      const CVector3 direction = DirectionOf(leg.Get());
      if (!direction.IsZero()) {
        if (da > 0.0) pen.Circle(ea.face, da, direction);
        if (db > 0.0) pen.Circle(eb.face, db, direction);
      }
    }
    pen.Flange(eb);
  }
  return true;
}

}  // namespace kelto::solid
