#include "tags/ComTagEngine.h"

#include <algorithm>
#include <climits>
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

namespace {

LONG AsLong(std::size_t units) {
  return static_cast<LONG>(std::min<std::size_t>(units, LONG_MAX));
}

}  // namespace

HRESULT CComTagEngine::get_WorkLimit(LONG* pVal) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngineLimits>(), [&] {
    if (!pVal) throw HResultError(E_POINTER, "Null result pointer.");
    *pVal = AsLong(GetObject()->WorkLimit());
  });
}

HRESULT CComTagEngine::put_WorkLimit(LONG newVal) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngineLimits>(), [&] {
    if (newVal < 1)
      throw HResultError(E_INVALIDARG, "WorkLimit " + std::to_string(newVal) +
                                           " is out of range: give 1 to 2147483647 units.");
    GetObject()->SetWorkLimit(static_cast<std::size_t>(newVal));
  });
}

HRESULT CComTagEngine::get_WorkDone(LONG* pVal) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngineLimits>(), [&] {
    if (!pVal) throw HResultError(E_POINTER, "Null result pointer.");
    *pVal = AsLong(GetObject()->WorkDone());
  });
}

HRESULT CComTagEngine::get_EvaluationErrors(BSTR* pVal) {
  return Guard(kelto3d::kClsidTagEngine, IidOf<kelto3d::ITagEngineLimits>(), [&] {
    if (!pVal) throw HResultError(E_POINTER, "Null result pointer.");
    *pVal = nullptr;
    std::string text;
    for (const std::string& error : GetObject()->EvaluationErrors()) text += error + "\n";
    *pVal = _bstr_t(text).Detach();
  });
}
