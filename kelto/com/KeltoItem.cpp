#include "kelto/com/KeltoItem.h"

namespace kelto::faces {

const kelto::data::Component& CKeltoItem::Record() const {
  if (!component_) ThrowGone("component");
  return *component_;
}

HRESULT CKeltoItem::get_TypeName(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    *name = NewBstr(Record().TypeName());
  });
}

HRESULT CKeltoItem::get_GroupName(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    *name = NewBstr(Record().GroupName());
  });
}

HRESULT CKeltoItem::get_ItemCode(LONG* code) {
  return Guarded([&] {
    RequireOut(code);
    *code = Record().ItemCode();
  });
}

HRESULT CKeltoItem::get_SymbolKey(BSTR* key) {
  return Guarded([&] {
    RequireOut(key);
    *key = NewBstr(Record().SymbolKey());
  });
}

HRESULT CKeltoItem::get_ShapeCode(BSTR* code) {
  return Guarded([&] {
    RequireOut(code);
    *code = NewBstr(Record().ShapeCode());
  });
}

}  // namespace kelto::faces
