// The nine construction functions of the solid builder (what each draws is
// described in docs/solid-model.md) and the routines they share.
//
// Each takes the builder (for colours and for saying why it declines), the
// component information and the geometry to append to, and returns true when
// it drew the component. The specialised functions return false, before
// drawing anything, for geometry they cannot draw; "DrawLegs" draws every
// component and always returns true.
#pragma once

#include <optional>

#include "core/GeometryCons.h"
#include "solid/ComponentGeometryBuilder.h"
#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"

namespace kelto::solid {

bool DrawLegs(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);
bool Bend1(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);
bool Bend2(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);
bool TeedBend(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);
bool TeedConcentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                           IFGeometryCons& g);
bool TeedEccentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                          IFGeometryCons& g);
bool EccentricReducer(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info,
                      IFGeometryCons& g);
bool Valve(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);
bool Support(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g);

// The leg of a component nearest to a point.
struct NearestLegResult {
  ComPtr<IKeltoLeg> leg;
  LegPoints points;
  double distance = 0.0;
};

// Distance from p to the segment a–b (to a when the segment has no length).
double DistanceToSegment(const CPoint3& p, const CPoint3& a, const CPoint3& b);

// The leg whose segment (between its two points) is nearest to p: the first
// of equals, and the search stops at the first leg within 1e-08. Without
// acceptAny only a leg within 1e-08 is returned. Legs naming a point the
// component lacks have no segment and are passed over.
std::optional<NearestLegResult> NearestLeg(IKeltoComponent* component, const CPoint3& p,
                                           bool acceptAny);

// Emits primitives of one component in its colour (asked for each one).
class CSolidPen {
 public:
  CSolidPen(CKelto3ComponentGeometryBuilder& builder, CComponentInfo& info, IFGeometryCons& g)
      : m_builder(builder), m_info(info), m_geometry(g) {}

  void Line(const CPoint3& a, const CPoint3& b);
  void Cone(const CPoint3& a, double da, const CPoint3& b, double db);
  void CurvedCone(const CPoint3& a, double da, const CPoint3& b, double db, const CPoint3& centre);
  void Snout(const CPoint3& a, double da, const CPoint3& b, double db, const CVector3& direction);
  void Circle(const CPoint3& centre, double diameter, const CVector3& normal);

  // The flange of an end: nothing when the end is not flanged or its flange
  // diameter is 0; a cone from the position to the face when they differ;
  // else a disc at the position square to the leg (leg, or when null the
  // component's leg nearest to the position), when that leg has a direction.
  void Flange(const CEndData& end, IKeltoLeg* leg = nullptr);

 private:
  CKelto3ComponentGeometryBuilder& m_builder;
  CComponentInfo& m_info;
  IFGeometryCons& m_geometry;
};

}  // namespace kelto::solid
