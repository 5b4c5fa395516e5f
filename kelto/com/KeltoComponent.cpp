#include "kelto/com/KeltoComponent.h"

#include <string>

#include "kelto/com/Collections.h"
#include "kelto/com/KeltoFile.h"
#include "kelto/com/KeltoItem.h"
#include "kelto/com/KeltoPipeline.h"

namespace kelto::faces {

kelto::data::Component& CKeltoComponent::Record() const {
  if (!component_) ThrowGone("component");
  return *component_;
}

HRESULT CKeltoComponent::get_Id(BSTR* id) {
  return Guarded([&] {
    RequireOut(id);
    *id = NewBstr(Record().Id());
  });
}

HRESULT CKeltoComponent::get_Pipeline(IKeltoPipeline** pipeline) {
  return Guarded([&] {
    RequireOut(pipeline);
    *pipeline = nullptr;
    HandOut(File().PipelineFace(Record().OwnerPipeline()), pipeline);
  });
}

HRESULT CKeltoComponent::get_Legs(IKeltoLegs** legs) {
  return Guarded([&] {
    RequireOut(legs);
    *legs = nullptr;
    HandOut(File().LegsFace(Record()), legs);
  });
}

HRESULT CKeltoComponent::get_Points(IKeltoPoints** points) {
  return Guarded([&] {
    RequireOut(points);
    *points = nullptr;
    HandOut(File().PointsFace(Record()), points);
  });
}

HRESULT CKeltoComponent::get_Attributes(IKeltoAttributes** attributes) {
  return Guarded([&] {
    RequireOut(attributes);
    *attributes = nullptr;
    HandOut(File().AttributesFace(Record()), attributes);
  });
}

HRESULT CKeltoComponent::get_Details(IKeltoItem** details) {
  return Guarded([&] {
    RequireOut(details);
    *details = nullptr;
    HandOut(File().ItemFace(Record()), details);
  });
}

HRESULT CKeltoComponent::get_AttachmentCount(LONG* count) {
  return Guarded([&] {
    RequireOut(count);
    *count = static_cast<LONG>(Record().AttachmentCount());
  });
}

HRESULT CKeltoComponent::get_Attachment(LONG index, IKeltoComponent** component) {
  return Guarded([&] {
    RequireOut(component);
    *component = nullptr;
    kelto::data::Component& self = Record();
    CheckPosition(index, self.AttachmentCount());
    HandOut(File().ComponentFace(self.Attachment(static_cast<std::size_t>(index))), component);
  });
}

}  // namespace kelto::faces
