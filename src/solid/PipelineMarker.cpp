#include "solid/PipelineMarker.h"

#include <cmath>

#include "solid/PipingAccess.h"

namespace kelto::solid {

namespace {

// The marker's own inch factor, kept as the marker has always been sized.
constexpr double kMarkerMillimetresPerInch = 25.5;

template <class Collection>
long CountItems(Collection* collection) {
  LONG count = 0;
  kelto::com::ThrowIfFailed(Require(collection)->get_Count(&count),
                            kelto::com::IidOf<Collection>());
  return count;
}

template <class Item, class Collection>
ComPtr<Item> ItemAt(Collection* collection, long index) {
  ComPtr<Item> item;
  kelto::com::ThrowIfFailed(collection->get_Item(IndexVariant(index), item.Put()),
                            kelto::com::IidOf<Collection>());
  Require(item);
  return item;
}

// The component an entry's Value holds, or null when it holds none.
ComPtr<IKeltoComponent> EntryComponent(IKeltoRouteEntry* entry) {
  _variant_t value;
  kelto::com::ThrowIfFailed(entry->get_Value(&value), kelto::com::IidOf<IKeltoRouteEntry>());
  IUnknown* object = nullptr;
  if (value.vt == VT_DISPATCH) object = value.pdispVal;
  if (value.vt == VT_UNKNOWN) object = value.punkVal;
  if (!object) return {};
  ComPtr<IKeltoComponent> component;
  object->QueryInterface(kelto::com::IidOf<IKeltoComponent>(), component.PutVoid());
  return component;
}

// Looks at one point of the current leg.
void Visit(PipelineStart& found, IKeltoPoint* point, const CVector3& legDirection,
           double legLength) {
  if (!found.hasSize) {
    double bore = BoreOf(point);
    if (bore > 0.0) {
      if (BoreUnitsOf(point) == 1) bore *= kMarkerMillimetresPerInch;
      found.size = 2.0 * bore;
      found.hasSize = true;
    }
  }
  if (!found.hasStart && !IsInternal(point) && !ConnectedPointOf(point)) {
    found.start = PositionOf(point);
    found.hasStart = true;
  }
  if (!found.hasStart) return;
  if (!found.hasArrow && !legDirection.IsZero()) {
    found.arrow = legDirection.Normalised();
    found.hasArrow = true;
  }
  if (!found.hasMast && legLength > 0.0) {
    const bool vertical = std::fabs(legDirection.x) < 0.01 && std::fabs(legDirection.y) < 0.01;
    found.mast = vertical ? CVector3(1, 0, 0) : CVector3(0, 0, 1);
    found.hasMast = true;
  }
}

}  // namespace

PipelineStart FindPipelineStart(IKeltoPipeline* pipeline) {
  PipelineStart found;
  ComPtr<IKeltoRoutes> routes;
  kelto::com::ThrowIfFailed(Require(pipeline)->Routes(1, 1, routes.Put()),
                            kelto::com::IidOf<IKeltoPipeline>());
  const long routeCount = CountItems(routes.Get());
  for (long r = 0; r < routeCount; ++r) {
    const auto route = ItemAt<IKeltoRoute>(routes.Get(), r);
    const long entryCount = CountItems(route.Get());
    for (long e = 0; e < entryCount; ++e) {
      const auto entry = ItemAt<IKeltoRouteEntry>(route.Get(), e);
      const ComPtr<IKeltoComponent> component = EntryComponent(entry.Get());
      if (!component) continue;
      const ComPtr<IKeltoLegs> legs = LegsOf(component.Get());
      const long legCount = CountOf(legs.Get());
      for (long l = 0; l < legCount; ++l) {
        const ComPtr<IKeltoLeg> leg = LegAt(legs.Get(), l);
        const LegPoints points = PointsOf(component.Get(), leg.Get());
        const CVector3 direction = DirectionOf(leg.Get());
        const double length = LengthOf(leg.Get());
        for (IKeltoPoint* point : {points.from.Get(), points.to.Get()}) {
          if (!point) continue;
          Visit(found, point, direction, length);
          if (found.Complete()) return found;
        }
      }
    }
  }
  return found;
}

bool DrawPipelineMarker(const PipelineStart& start, IFGeometryCons& geometry, std::int32_t colour) {
  if (!start.Complete()) return false;
  const double s = start.size;
  const CPoint3 a = start.start + s * start.mast;
  geometry.AddLine(start.start, a, colour);
  geometry.AddCone(a, s / 1.5, a + (s / 1.5) * start.arrow, 0.0, colour);
  return true;
}

}  // namespace kelto::solid
