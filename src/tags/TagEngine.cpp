#include "tags/TagEngine.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/xml/Document.h"
#include "tags/TagMatch.h"

using kelto::com::ComPtr;

namespace {

// The locale and call kind the engine always uses: the system default, and
// "method or property get", so that a rule need not know which one a member is.
constexpr LCID kLocale = LOCALE_SYSTEM_DEFAULT;  // 0x800
constexpr WORD kInvokeFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// Arguments of one call, owned: rgvarg order (last argument first).
class ArgumentArray {
 public:
  explicit ArgumentArray(const std::vector<std::string>& arguments) {
    m_items.reserve(arguments.size());
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_BSTR;
      v.bstrVal = kelto::com::AllocBstr(std::string_view(*it));
      if (!v.bstrVal) kelto::com::ThrowComError(E_OUTOFMEMORY);
      m_items.push_back(v);
    }
  }
  ArgumentArray(const ArgumentArray&) = delete;
  ArgumentArray& operator=(const ArgumentArray&) = delete;
  ~ArgumentArray() {
    for (VARIANT& v : m_items) VariantClear(&v);
  }
  VARIANT* data() { return m_items.empty() ? nullptr : m_items.data(); }
  UINT size() const { return static_cast<UINT>(m_items.size()); }

 private:
  std::vector<VARIANT> m_items;
};

// Takes what a callee left in an EXCEPINFO and frees its strings.
std::string TakeDescription(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  std::string text = kelto::com::BstrToUtf8(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
  return text;
}

// The object a segment is called on, or null when the value is not one.
ComPtr<IDispatch> AsObject(const VARIANT& value) {
  if (value.vt == VT_DISPATCH) return ComPtr<IDispatch>(value.pdispVal);
  if (value.vt == VT_UNKNOWN && value.punkVal) {
    ComPtr<IDispatch> object;
    value.punkVal->QueryInterface(kelto::com::IidOf<IDispatch>(), object.PutVoid());
    return object;
  }
  return nullptr;
}

}  // namespace

// --- Aspect -------------------------------------------------------------------

CTagEngine::Aspect::Aspect(std::string name, std::string expression, bool regExp)
    : m_name(std::move(name)),
      m_expression(std::move(expression)),
      m_regExp(regExp),
      m_segments(kelto::tags::SplitExpression(m_expression)) {}

CTagEngine::Aspect::Aspect(const kelto::xml::Node& element) {
  const kelto::xml::Attribute name = element.attribute("Name");
  if (!name) throw config_error("Unnamed attribute.");
  const kelto::xml::Attribute expression = element.attribute("Expression");
  if (!expression) throw config_error("Missing expression.");
  const kelto::xml::Attribute matchType = element.attribute("MatchType");
  *this = Aspect(name.nodeValue(), expression.nodeValue(),
                 matchType && matchType.nodeValue() == "RegExp");
}

_variant_t CTagEngine::Aspect::Evaluate(IDispatch* object) const {
  _variant_t current(object);
  for (const kelto::tags::ExpressionSegment& segment : m_segments) {
    const ComPtr<IDispatch> target = AsObject(current);
    if (!target) throw eval_error("Cannot call " + segment.name + ": the value is not an object.");

    std::u16string name = kelto::com::Utf8ToUtf16(segment.name);
    LPOLESTR names[1] = {name.data()};
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT hr = target->GetIDsOfNames(GUID_NULL, names, 1, kLocale, &dispid);
    if (FAILED(hr)) {
      throw eval_error("Unknown member " + segment.name + ": " + kelto::com::DescribeHResult(hr));
    }

    ArgumentArray arguments(segment.arguments);
    DISPPARAMS params{arguments.data(), nullptr, arguments.size(), 0};
    _variant_t result;
    EXCEPINFO info{};
    UINT argError = 0;
    hr = target->Invoke(dispid, GUID_NULL, kLocale, kInvokeFlags, &params, &result, &info,
                        &argError);
    std::string description = TakeDescription(info);
    if (FAILED(hr)) {
      if (description.empty()) description = kelto::com::DescribeHResult(hr);
      throw eval_error("Error calling " + segment.name + ": " + description);
    }
    if (result.vt & VT_BYREF) {
      _variant_t direct;
      if (FAILED(VariantCopyInd(&direct, &result))) {
        throw eval_error("Unreadable result of " + segment.name + ".");
      }
      result = std::move(direct);
    }
    current = std::move(result);
  }
  return current;
}

// --- Loading ------------------------------------------------------------------

void CTagEngine::SetSpec(std::string_view xml, std::vector<std::string>& messages) {
  kelto::xml::Document document;
  if (!document.loadXML(xml)) {
    messages.emplace_back("XML is not well formed.");
    return;
  }

  // Aspects first, so that a lookup may name an aspect defined further down.
  for (const kelto::xml::Node& element : document.selectNodes("*/Aspect")) {
    const kelto::xml::Attribute name = element.attribute("Name");
    if (!name) {
      messages.emplace_back("Ignored unnamed aspect.");
      continue;
    }
    try {
      Aspect aspect(element);
      // A later definition under the same name replaces the earlier one, for
      // the lookups already loaded too: conditions name their aspect.
      m_aspects.insert_or_assign(aspect.Name(), std::move(aspect));
    } catch (const Aspect::config_error& e) {
      messages.push_back("Error reading aspect " + name.nodeValue() + " : " + e.what());
    }
  }

  for (const kelto::xml::Node& element : document.selectNodes("*/Lookup")) {
    m_roots.push_back(ReadLookup(element, messages));
  }
}

std::size_t CTagEngine::ReadLookup(const kelto::xml::Node& top,
                                   std::vector<std::string>& messages) {
  constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
  struct Pending {
    kelto::xml::Node element;
    std::size_t parent;
  };
  // Depth first, children in document order, so that messages come out in
  // the order a reader of the text would meet them.
  std::vector<Pending> pending{{top, kNoParent}};
  std::size_t first = kNoParent;
  while (!pending.empty()) {
    const Pending item = std::move(pending.back());
    pending.pop_back();

    const std::size_t index = m_lookups.size();
    m_lookups.emplace_back();
    if (item.parent == kNoParent) {
      first = index;
    } else {
      m_lookups[item.parent].children.push_back(index);
    }

    for (const kelto::xml::Attribute& attribute : item.element.attributes()) {
      std::string aspect = attribute.name();
      if (!m_aspects.contains(aspect)) {
        messages.push_back("Unknown aspect : " + aspect);
        continue;
      }
      m_lookups[index].conditions.push_back({std::move(aspect), attribute.nodeValue(), {}});
    }

    std::vector<kelto::xml::Node> nested;
    for (const kelto::xml::Node& child : item.element.childElements()) {
      const std::string name = child.name();
      if (name == "Lookup") {
        nested.push_back(child);
      } else if (name == "Tag") {
        for (const kelto::xml::Attribute& tag : child.attributes()) {
          m_lookups[index].tags.insert_or_assign(tag.name(), tag.nodeValue());
        }
      }
    }
    for (auto it = nested.rbegin(); it != nested.rend(); ++it) pending.push_back({*it, index});
  }
  return first;
}

// --- Evaluation ---------------------------------------------------------------

namespace {

std::string Describe(const std::string& aspect, const std::string& expected) {
  return "condition " + aspect + "=\"" + expected + "\"";
}

}  // namespace

CTagEngine::TagMap CTagEngine::GetTags(IDispatch* object) const {
  TagMap tags;
  m_evaluationErrors.clear();
  std::size_t allowance = m_workLimit;
  std::vector<std::size_t> pending;
  for (const std::size_t root : m_roots) {
    Cache cache;
    pending.assign(1, root);
    while (!pending.empty()) {
      const LookupNode& lookup = m_lookups[pending.back()];
      pending.pop_back();
      bool holds = true;
      for (const Condition& condition : lookup.conditions) {
        if (allowance == 0 || !Holds(condition, object, cache, allowance)) {
          holds = false;
          break;
        }
      }
      if (allowance == 0) {
        m_evaluationErrors.push_back("Evaluation stopped: the work limit of " +
                                     std::to_string(m_workLimit) +
                                     " units was reached; the remaining lookups were skipped.");
        m_workDone = m_workLimit;
        return tags;
      }
      if (!holds) continue;
      for (const auto& [name, value] : lookup.tags) tags.insert_or_assign(name, value);
      for (auto it = lookup.children.rbegin(); it != lookup.children.rend(); ++it) {
        pending.push_back(*it);
      }
    }
  }
  m_workDone = m_workLimit - allowance;
  return tags;
}

bool CTagEngine::Holds(const Condition& condition, IDispatch* object, Cache& cache,
                       std::size_t& allowance) const {
  const auto aspect = m_aspects.find(condition.aspect);
  if (aspect == m_aspects.end()) return false;  // not kept at loading; defensive
  --allowance;

  auto [entry, inserted] = cache.try_emplace(condition.aspect);
  if (inserted) {
    allowance -= std::min<std::size_t>(allowance, 1 + aspect->second.SegmentCount());
    try {
      entry->second = aspect->second.Evaluate(object);
    } catch (const Aspect::eval_error&) {
      // Stays nullopt: the aspect counts as failed for the rest of this
      // top-level lookup, and every condition on it fails.
    }
  }
  if (!entry->second) return false;

  if (!aspect->second.IsRegExp())
    return kelto::tags::MatchesExactly(*entry->second, condition.expected);

  if (!condition.compiled) {
    auto result = kelto::tags::RegExp::Compile(condition.expected);
    condition.compiled = std::move(result.regexp);
  }
  if (!*condition.compiled) return false;
  const kelto::tags::RegExp& expression = **condition.compiled;
  const auto outcome = kelto::tags::MatchesRegExp(*entry->second, expression, &allowance);
  if (outcome == kelto::tags::MatchResult::Aborted && allowance > 0) {
    m_evaluationErrors.push_back(
        "The regular expression of " + Describe(condition.aspect, condition.expected) +
        " gave up after " + std::to_string(kelto::tags::RegExp::kDefaultStepLimit) +
        " steps (back references make some texts too costly to search); the condition fails.");
  }
  return outcome == kelto::tags::MatchResult::Match;
}
