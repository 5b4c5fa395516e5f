#include "com/faces/ComPrimitives.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "com/faces/ComPrimitiveKinds.h"
#include "platform/com/ComError.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

using kelto::com::HResultError;
using kelto::com::IidOf;

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidPrimitives, IidOf<kelto3d::IPrimitives>(),
                           std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

}  // namespace

HRESULT CComPrimitives::get_Count(LONG* pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = static_cast<LONG>(GetObject()->size());
  });
}

HRESULT CComPrimitives::get_Item(LONG Index, kelto3d::IPrimitive** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    CGeometrySet& set = *GetObject();
    if (Index < 0 || static_cast<std::size_t>(Index) >= set.size())
      throw std::out_of_range("invalid vector<T> subscript");
    *pVal = PrimitiveFace(set[static_cast<std::size_t>(Index)]).Detach();
  });
}

HRESULT CComPrimitives::get__NewEnum(IUnknown** ppEnum) {
  return Guarded([&] {
    CheckResult(ppEnum);
    *ppEnum = nullptr;
    std::vector<_variant_t> faces;
    for (CPrimitive& primitive : *GetObject()) {
      // A primitive without a kind enumerates as Nothing, as Item reads it.
      const auto face = PrimitiveFace(primitive);
      faces.emplace_back(static_cast<IDispatch*>(face.Get()));
    }
    std::vector<VARIANT> items;
    items.reserve(faces.size());
    for (_variant_t& face : faces) items.push_back(face.Detach());
    IEnumVARIANT* e = nullptr;
    kelto::com::ThrowIfFailed(kelto::com::CreateEnumVariant(std::move(items), &e));
    *ppEnum = e;
  });
}

HRESULT CComPrimitives::Add3DLine(double StartX, double StartY, double StartZ, double EndX,
                                  double EndY, double EndZ, LONG Colour) {
  return Guarded([&] {
    GetObject()->AddLine(CPoint3(StartX, StartY, StartZ), CPoint3(EndX, EndY, EndZ), Colour);
  });
}

HRESULT CComPrimitives::Add3DCone(double StartX, double StartY, double StartZ, double StartDiameter,
                                  double EndX, double EndY, double EndZ, double EndDiameter,
                                  LONG Colour) {
  return Guarded([&] {
    GetObject()->AddCone(CPoint3(StartX, StartY, StartZ), StartDiameter, CPoint3(EndX, EndY, EndZ),
                         EndDiameter, Colour);
  });
}

HRESULT CComPrimitives::Add3DCurvedCone(double StartX, double StartY, double StartZ,
                                        double StartDiameter, double EndX, double EndY, double EndZ,
                                        double EndDiameter, double CentreX, double CentreY,
                                        double CentreZ, LONG Colour) {
  return Guarded([&] {
    GetObject()->AddCurvedCone(CPoint3(StartX, StartY, StartZ), StartDiameter,
                               CPoint3(EndX, EndY, EndZ), EndDiameter,
                               CPoint3(CentreX, CentreY, CentreZ), Colour);
  });
}

HRESULT CComPrimitives::Add3DSnout(double StartX, double StartY, double StartZ,
                                   double StartDiameter, double EndX, double EndY, double EndZ,
                                   double EndDiameter, double DirectionX, double DirectionY,
                                   double DirectionZ, LONG Colour) {
  return Guarded([&] {
    GetObject()->AddSnout(CPoint3(StartX, StartY, StartZ), StartDiameter, CPoint3(EndX, EndY, EndZ),
                          EndDiameter, CVector3(DirectionX, DirectionY, DirectionZ), Colour);
  });
}

HRESULT CComPrimitives::Add3DCircle(double CentreX, double CentreY, double CentreZ, double Diameter,
                                    double DirectionX, double DirectionY, double DirectionZ,
                                    LONG Colour) {
  return Guarded([&] {
    GetObject()->AddCircle(CPoint3(CentreX, CentreY, CentreZ), Diameter,
                           CVector3(DirectionX, DirectionY, DirectionZ), Colour);
  });
}
