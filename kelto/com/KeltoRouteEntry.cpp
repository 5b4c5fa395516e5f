#include "kelto/com/KeltoRouteEntry.h"

#include "kelto/com/KeltoComponent.h"
#include "kelto/com/KeltoFile.h"
#include "platform/com/Api.h"

namespace kelto::faces {

HRESULT CKeltoRouteEntry::get_Value(VARIANT* value) {
  return Guarded([&] {
    RequireOut(value);
    VariantInit(value);
    if (!entry_) ThrowGone("route");
    kelto::com::ComPtr<CKeltoComponent> component = File().ComponentFace(*entry_->component);
    value->pdispVal = static_cast<IKeltoComponent*>(component.Detach());
    value->vt = VT_DISPATCH;
  });
}

}  // namespace kelto::faces
