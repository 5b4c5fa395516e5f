// CComPrimitives: the scripting class Primitives (IPrimitives), the face of a
// CGeometrySet (a node's geometry, or a set of its own when the host creates
// the object).
//
// Item hands out the typed object of each primitive's kind (Line ... Circle),
// linked to the primitive inside the set. Appending may move the set's
// storage; the primitives left behind tell their objects to let go, and such
// an object then behaves as a new one that the host created (an empty
// primitive of its kind). Scripts that edit after adding fetch the items
// again.
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "core/GeometrySet.h"
#include "kelto3d/ModelTree.h"
#include "platform/com/Boundary.h"
#include "platform/com/Dispatch.h"

struct PrimitivesClass {
  static constexpr CLSID clsid = kelto3d::kClsidPrimitives;
};

class CComPrimitives
    : public kelto3d::ComObject<CComPrimitives, kelto::com::Dual<kelto3d::IPrimitives>,
                                kelto::com::SupportErrorInfo<kelto3d::IPrimitives>>,
      public CComWrapper<CGeometrySet, CComPrimitives, PrimitivesClass, kelto3d::IPrimitives,
                         CGeometrySet*, CDPOwner<CGeometrySet>> {
 public:
  HRESULT get_Count(LONG* pVal) override;
  HRESULT get_Item(LONG Index, kelto3d::IPrimitive** pVal) override;
  HRESULT get__NewEnum(IUnknown** ppEnum) override;
  HRESULT Add3DLine(double StartX, double StartY, double StartZ, double EndX, double EndY,
                    double EndZ, LONG Colour) override;
  HRESULT Add3DCone(double StartX, double StartY, double StartZ, double StartDiameter, double EndX,
                    double EndY, double EndZ, double EndDiameter, LONG Colour) override;
  HRESULT Add3DCurvedCone(double StartX, double StartY, double StartZ, double StartDiameter,
                          double EndX, double EndY, double EndZ, double EndDiameter, double CentreX,
                          double CentreY, double CentreZ, LONG Colour) override;
  HRESULT Add3DSnout(double StartX, double StartY, double StartZ, double StartDiameter, double EndX,
                     double EndY, double EndZ, double EndDiameter, double DirectionX,
                     double DirectionY, double DirectionZ, LONG Colour) override;
  HRESULT Add3DCircle(double CentreX, double CentreY, double CentreZ, double Diameter,
                      double DirectionX, double DirectionY, double DirectionZ,
                      LONG Colour) override;
};
