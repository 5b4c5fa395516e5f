#include "kelto/com/KeltoAttribute.h"

#include "kelto/com/KeltoFile.h"
#include "platform/com/Api.h"

namespace kelto::faces {

const kelto::data::Attribute& CKeltoAttribute::Record() const {
  if (!attribute_) ThrowGone("attribute");
  return *attribute_;
}

HRESULT CKeltoAttribute::get_Name(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    *name = NewBstr(File().Data().Text(Record().name));
  });
}

HRESULT CKeltoAttribute::get_Value(VARIANT* value) {
  return Guarded([&] {
    RequireOut(value);
    VariantInit(value);
    value->bstrVal = NewBstr(File().Data().Text(Record().value));
    value->vt = VT_BSTR;
  });
}

}  // namespace kelto::faces
