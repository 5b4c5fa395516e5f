#include "kelto/com/KeltoLeg.h"

#include "kelto/com/KeltoFile.h"

namespace kelto::faces {

const kelto::data::Leg& CKeltoLeg::Record() const {
  if (!leg_) ThrowGone("leg");
  return *leg_;
}

HRESULT CKeltoLeg::get_FromPoint(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    const kelto::data::File& file = File().Data();
    *name = NewBstr(file.Text(file.FromPoint(Record()).name));
  });
}

HRESULT CKeltoLeg::get_ToPoint(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    const kelto::data::File& file = File().Data();
    *name = NewBstr(file.Text(file.ToPoint(Record()).name));
  });
}

HRESULT CKeltoLeg::get_HasDirection(VARIANT_BOOL* has) {
  return Guarded([&] {
    RequireOut(has);
    *has = Record().hasDirection ? VARIANT_TRUE : VARIANT_FALSE;
  });
}

// A leg without a direction answers (0, 0, 0): the builders test HasDirection
// first, and a zero vector can never be mistaken for a real one.
HRESULT CKeltoLeg::Direction(double* x, double* y, double* z) {
  return Guarded([&] {
    RequireOut(x);
    RequireOut(y);
    RequireOut(z);
    const kelto::data::Leg& leg = Record();
    const kelto::data::Vec3 d = leg.hasDirection ? leg.direction : kelto::data::Vec3{};
    *x = d.x;
    *y = d.y;
    *z = d.z;
  });
}

HRESULT CKeltoLeg::get_Length(double* length) {
  return Guarded([&] {
    RequireOut(length);
    *length = Record().length;
  });
}

}  // namespace kelto::faces
