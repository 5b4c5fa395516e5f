// CKeltoAttribute: one attribute of a component (IKeltoAttribute), a face of
// one record of the current load (Face.h). Value is a string (VT_BSTR).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/data/Records.h"

namespace kelto::faces {

class CKeltoAttribute : public Face<CKeltoAttribute, IKeltoAttribute> {
 public:
  CKeltoAttribute(CKeltoFile& file, const kelto::data::Attribute& attribute) noexcept
      : Face(file), attribute_(&attribute) {}

  // IKeltoAttribute
  HRESULT get_Name(BSTR* name) override;
  HRESULT get_Value(VARIANT* value) override;

 private:
  void Forget() noexcept override { attribute_ = nullptr; }
  const kelto::data::Attribute& Record() const;

  const kelto::data::Attribute* attribute_;
};

}  // namespace kelto::faces
