#include "kelto/com/KeltoPoint.h"

#include "kelto/com/KeltoComponent.h"
#include "kelto/com/KeltoFile.h"

namespace kelto::faces {

const kelto::data::Point& CKeltoPoint::Record() const {
  if (!point_) ThrowGone("point");
  return *point_;
}

HRESULT CKeltoPoint::get_Name(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    *name = NewBstr(File().Data().Text(Record().name));
  });
}

// Every out pointer is checked before any is written, so a caller never gets
// a half-filled position.
HRESULT CKeltoPoint::Position(double* x, double* y, double* z) {
  return Guarded([&] {
    RequireOut(x);
    RequireOut(y);
    RequireOut(z);
    const kelto::data::Vec3& p = Record().position;
    *x = p.x;
    *y = p.y;
    *z = p.z;
  });
}

HRESULT CKeltoPoint::get_Bore(double* bore) {
  return Guarded([&] {
    RequireOut(bore);
    *bore = Record().bore;
  });
}

HRESULT CKeltoPoint::get_BoreUnits(LONG* units) {
  return Guarded([&] {
    RequireOut(units);
    *units = Record().boreUnits;
  });
}

HRESULT CKeltoPoint::get_EndType(BSTR* type) {
  return Guarded([&] {
    RequireOut(type);
    *type = NewBstr(File().Data().Text(Record().endType));
  });
}

HRESULT CKeltoPoint::get_IsInternalPoint(VARIANT_BOOL* internal) {
  return Guarded([&] {
    RequireOut(internal);
    *internal = Record().internal ? VARIANT_TRUE : VARIANT_FALSE;
  });
}

HRESULT CKeltoPoint::get_ConnectedPoint(IKeltoPoint** point) {
  return Guarded([&] {
    RequireOut(point);
    *point = nullptr;
    const kelto::data::Point* other = File().Data().ConnectedPoint(Record());
    if (other) HandOut(File().PointFace(*other), point);
  });
}

HRESULT CKeltoPoint::get_OwnerComponent(IKeltoComponent** component) {
  return Guarded([&] {
    RequireOut(component);
    *component = nullptr;
    HandOut(File().ComponentFace(File().Data().OwnerOf(Record())), component);
  });
}

}  // namespace kelto::faces
