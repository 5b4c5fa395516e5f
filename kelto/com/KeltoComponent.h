// CKeltoComponent: one piping component (IKeltoComponent). Keyed by the data
// layer's Component, so a reload that keeps the component's id keeps this
// face, its Details and its collections (KeltoFile.h).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/data/Component.h"

namespace kelto::faces {

class CKeltoComponent : public Face<CKeltoComponent, IKeltoComponent> {
 public:
  CKeltoComponent(CKeltoFile& file, kelto::data::Component& component) noexcept
      : Face(file), component_(&component) {}

  // IKeltoComponent
  HRESULT get_Id(BSTR* id) override;
  HRESULT get_Pipeline(IKeltoPipeline** pipeline) override;
  HRESULT get_Legs(IKeltoLegs** legs) override;
  HRESULT get_Points(IKeltoPoints** points) override;
  HRESULT get_Attributes(IKeltoAttributes** attributes) override;
  HRESULT get_Details(IKeltoItem** details) override;
  HRESULT get_AttachmentCount(LONG* count) override;
  // 0-based; DISP_E_BADINDEX outside 0 .. AttachmentCount - 1.
  HRESULT get_Attachment(LONG index, IKeltoComponent** component) override;

 private:
  void Forget() noexcept override { component_ = nullptr; }
  kelto::data::Component& Record() const;

  kelto::data::Component* component_;
};

}  // namespace kelto::faces
