#include "com/faces/ComModelNodes.h"

#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

#include "com/faces/ComModelNode.h"
#include "core/WrapperFace.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;
using kelto::com::IidOf;
using kelto3d::IModelNode;

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidModelNodes, IidOf<kelto3d::IModelNodes>(),
                           std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

const CModelNode::ChildMap kNoChildren;

}  // namespace

CComModelNodes::CComModelNodes() = default;
CComModelNodes::~CComModelNodes() {
  if (m_owner) m_owner->ForgetChildren(this);
}

void CComModelNodes::SetOwner(CComModelNode* owner) { m_owner = ComPtr<CComModelNode>(owner); }

const CModelNode::ChildMap* CComModelNodes::Children() {
  if (!m_owner) return &kNoChildren;
  return &m_owner->GetObject()->GetChildren();
}

HRESULT CComModelNodes::get_Count(LONG* pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = static_cast<LONG>(Children()->size());
  });
}

HRESULT CComModelNodes::get_Item(VARIANT Index, IModelNode** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    const CModelNode::ChildMap& children = *Children();
    _variant_t index;
    kelto::com::ThrowIfFailed(VariantCopyInd(&index, &Index));

    CModelNode* child = nullptr;
    if (index.vt == VT_DISPATCH || index.vt == VT_UNKNOWN) {
      // An object is a key; only direct children are searched.
      _variant_t unknown;
      kelto::com::ThrowIfFailed(VariantChangeType(&unknown, &index, 0, VT_UNKNOWN));
      const ComPtr<IUnknown> key = kelto::com::Identity(unknown.punkVal);
      const auto it = children.find(key.Get());
      if (it == children.end()) throw std::out_of_range("No Match");
      child = it->second.get();
    } else {
      // Anything else is a 1-based position.
      _variant_t position;
      if (FAILED(VariantChangeType(&position, &index, 0, VT_UI4)))
        throw std::out_of_range("Bad Index");
      if (position.ulVal == 0 || position.ulVal > children.size())
        throw std::out_of_range("Invalid Position");
      child = std::next(children.begin(), static_cast<long>(position.ulVal) - 1)->second.get();
    }
    *pVal = WrapperFace<CComModelNode>(child).Detach();
  });
}

HRESULT CComModelNodes::get__NewEnum(IUnknown** ppEnum) {
  return Guarded([&] {
    CheckResult(ppEnum);
    *ppEnum = nullptr;
    std::vector<_variant_t> faces;
    for (const auto& [key, child] : *Children()) {
      ComPtr<CComModelNode> face = WrapperFace<CComModelNode>(child.get());
      faces.emplace_back(static_cast<IDispatch*>(static_cast<IModelNode*>(face.Get())));
    }
    std::vector<VARIANT> items;
    items.reserve(faces.size());
    for (_variant_t& face : faces) items.push_back(face.Detach());
    IEnumVARIANT* e = nullptr;
    kelto::com::ThrowIfFailed(kelto::com::CreateEnumVariant(std::move(items), &e));
    *ppEnum = e;
  });
}
