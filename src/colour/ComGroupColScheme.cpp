#include "colour/ComGroupColScheme.h"

using kelto::com::Guard;
using kelto::com::HResultError;
using kelto::com::IidOf;

HRESULT CComGroupColScheme::GetColour(IKeltoComponent* pComp, LONG* pColour) {
  return Guard(kelto3d::kClsidGroupColScheme, IidOf<kelto3d::IColourScheme>(), [&] {
    if (!pColour) throw HResultError(E_POINTER, "Null result pointer.");
    *pColour = GetObject()->GetColour(pComp);
  });
}
