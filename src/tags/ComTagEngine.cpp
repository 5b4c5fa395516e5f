#include "tags/ComTagEngine.h"

#include <string>
#include <vector>

#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "tags/ComTagSet.h"

using kelto::com::Guard;
using kelto::com::HResultError;
using kelto::com::IidOf;

HRESULT CComTagEngine::SetSpec(BSTR ConfigXML, BSTR* Errors) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngine>(), [&] {
    if (!Errors) throw HResultError(E_POINTER, "Null result pointer.");
    *Errors = nullptr;
    std::vector<std::string> messages;
    GetObject()->SetSpec(kelto::com::BstrToUtf8(ConfigXML), messages);
    std::string text;
    for (const std::string& message : messages) text += message + "\n";
    // An empty (not a null) string when all went well: scripts compare it
    // with "".
    *Errors = _bstr_t(text).Detach();
  });
}

HRESULT CComTagEngine::GetTags(IDispatch* Object, kelto3d::ITagSet** Result) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngine>(), [&] {
    if (!Result) throw HResultError(E_POINTER, "Null result pointer.");
    *Result = nullptr;
    CTagEngine::TagMap tags = GetObject()->GetTags(Object);
    // The new TagSet owns its tags (made on demand, then filled).
    auto set = kelto::com::MakeObject<CComTagSet>();
    set->GetObject()->SetTags(std::move(tags));
    *Result = set.Detach();
  });
}
