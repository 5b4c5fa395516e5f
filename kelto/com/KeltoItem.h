// CKeltoItem: a component's definition, its Details (IKeltoItem). Keyed by
// the component, so it lives, and keeps its identity, as long as the
// component does, and reads what the latest load says.
#pragma once

#include "kelto/com/Face.h"
#include "kelto/data/Component.h"

namespace kelto::faces {

class CKeltoItem : public Face<CKeltoItem, IKeltoItem> {
 public:
  CKeltoItem(CKeltoFile& file, kelto::data::Component& component) noexcept
      : Face(file), component_(&component) {}

  // IKeltoItem
  HRESULT get_TypeName(BSTR* name) override;
  HRESULT get_GroupName(BSTR* name) override;
  HRESULT get_ItemCode(LONG* code) override;
  HRESULT get_SymbolKey(BSTR* key) override;
  HRESULT get_ShapeCode(BSTR* code) override;

 private:
  void Forget() noexcept override { component_ = nullptr; }
  const kelto::data::Component& Record() const;

  kelto::data::Component* component_;
};

}  // namespace kelto::faces
