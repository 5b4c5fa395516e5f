#include "colour/ComUserColScheme.h"

#include <string>
#include <vector>

#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

using kelto::com::Guard;
using kelto::com::HResultError;
using kelto::com::IidOf;

HRESULT CComUserColScheme::GetColour(IKeltoComponent* pComp, LONG* pColour) {
  return Guard(kelto3d::kClsidUserColScheme, IidOf<kelto3d::IColourScheme>(), [&] {
    if (!pColour) throw HResultError(E_POINTER, "Null result pointer.");
    *pColour = GetObject()->GetColour(pComp);
  });
}

HRESULT CComUserColScheme::SetConfig(BSTR ConfigXML, BSTR* Errors) {
  return Guard(kelto3d::kClsidUserColScheme, IidOf<kelto3d::IUserColScheme>(), [&] {
    if (!Errors) throw HResultError(E_POINTER, "Null result pointer.");
    *Errors = nullptr;
    std::vector<std::string> messages;
    GetObject()->SetConfig(kelto::com::BstrToUtf8(ConfigXML), messages);
    std::string text;
    for (const std::string& message : messages) text += message + "\n";
    // An empty (not a null) string when all went well: scripts compare it
    // with "".
    *Errors = _bstr_t(text).Detach();
  });
}
