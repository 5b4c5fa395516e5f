#include "com/faces/ComModelNode.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "com/faces/ComModelNodes.h"
#include "com/faces/ComPrimitives.h"
#include "core/WrapperFace.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;
using kelto::com::Identity;
using kelto::com::IidOf;
using kelto3d::IModelNode;

namespace {

// Answered only by CComModelNode, with its IModelNode: how AddChild tells this
// module's nodes from other implementations of the interface.
constexpr IID kIidModelNodeImplementation =
    kelto::com::MakeGuid("B12FB8D7-093C-45F9-BDF8-B604B86D8487");

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidModelNode, IidOf<IModelNode>(), std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

// Scripts' keys are text: the VARIANT converted to a string, so 7 and "7"
// name the same item. Data that components attach under integer keys stays
// out of reach.
AssociationKey TextKey(const VARIANT& key) {
  _variant_t text;
  kelto::com::ThrowIfFailed(VariantChangeType(&text, &key, 0, VT_BSTR));
  return AssociationKey(kelto::com::BstrToUtf8(text.bstrVal));
}

using VariantItem = CModelNode::CAssociatedData<_variant_t>;
using StringItem = CModelNode::CAssociatedData<std::string>;

}  // namespace

CComModelNode::CComModelNode() { AddConnectionPoint(IidOf<kelto3d::_IModelNodeEvents>()); }

CComModelNode* CComModelNode::Implementation(IModelNode* node) {
  if (!node) return nullptr;
  void* self = nullptr;
  if (FAILED(node->QueryInterface(kIidModelNodeImplementation, &self)) || !self) return nullptr;
  // The identity check passed: the pointer is this class's IModelNode, and
  // the fixed adjustment of CCastingGetObj is sound.
  auto* face = static_cast<IModelNode*>(self);
  CComModelNode* implementation = GetObj(face);
  face->Release();
  return implementation;
}

bool CComModelNode::QueryOther(REFIID riid, void** ppv) {
  if (riid != kIidModelNodeImplementation) return false;
  *ppv = static_cast<IModelNode*>(this);
  return true;
}

HRESULT CComModelNode::get_Object(IDispatch** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    if (IUnknown* object = GetObject()->GetObject()) {
      // An object without IDispatch reads as null, like no object.
      ComPtr<IDispatch> dispatch;
      if (SUCCEEDED(object->QueryInterface(IidOf<IDispatch>(), dispatch.PutVoid())))
        *pVal = dispatch.Detach();
    }
  });
}

HRESULT CComModelNode::putref_Object(IUnknown* newVal) {
  return Guarded([&] { GetObject()->SetObject(Identity(newVal).Get()); });
}

HRESULT CComModelNode::get_Geometry(kelto3d::IPrimitives** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = WrapperFace<CComPrimitives>(&GetObject()->GetGeometry()).Detach();
  });
}

HRESULT CComModelNode::get_Children(kelto3d::IModelNodes** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    GetObject();  // the collection lists a real node, made now if need be
    if (m_children) {
      m_children->AddRef();
      *pVal = m_children;
      return;
    }
    ComPtr<CComModelNodes> children = kelto::com::MakeObject<CComModelNodes>();
    children->SetOwner(this);
    m_children = children.Get();
    *pVal = children.Detach();
  });
}

HRESULT CComModelNode::Dump(BSTR* pText) {
  return Guarded([&] {
    CheckResult(pText);
    *pText = nullptr;
    *pText = _bstr_t(GetObject()->Dump(0)).Detach();
  });
}

HRESULT CComModelNode::AddChild(IModelNode* ChildNode) {
  return Guarded([&] {
    CComModelNode* child = Implementation(ChildNode);
    if (!child) throw std::runtime_error("Bad child node.");
    CModelNode* parent = GetObject();
    CModelNode* node = child->GetObject();

    CModelNode::NodePtr counted;
    const bool owned = child->OwnsNode();
    if (owned) {
      counted = CModelNode::NodePtr(node);
    } else {
      // A node that its ModelNode does not own is held by a parent's
      // children map, or by C++ code (a builder's or the view's root), whose
      // counted pointer cannot be found from here.
      CModelNode* holder = node->GetParent();
      if (!holder) throw std::runtime_error("Unable to add child node [Non-owned root]");
      const auto it = holder->GetChildren().find(node->GetKey());
      if (it == holder->GetChildren().end() || it->second.get() != node)
        throw std::runtime_error("Unable to add child node [Non-owned root]");
      counted = it->second;
    }

    try {
      parent->AddChild(counted);
    } catch (...) {
      // The counted pointer made for an owned root must not delete the node
      // its ModelNode still owns ("Cyclic model tree not allowed." leaves
      // everything as it was). Should the tree have kept it after all, the
      // tree owns it now.
      if (owned) {
        if (counted.use_count() == 1)
          counted.Detach();
        else
          child->m_owns = false;
      }
      throw;
    }
    if (owned) child->m_owns = false;
  });
}

HRESULT CComModelNode::SearchSubtree(IUnknown* Object, IModelNode** Node) {
  return Guarded([&] {
    CheckResult(Node);
    *Node = nullptr;
    const ComPtr<IUnknown> key = Identity(Object);
    const CModelNode::NodePtr found = GetObject()->SearchSubtree(key.Get());
    *Node = WrapperFace<CComModelNode>(found.get()).Detach();
  });
}

HRESULT CComModelNode::RemoveSubtree(IUnknown* Object) {
  return Guarded([&] {
    CModelNode* node = GetObject();
    const ComPtr<IUnknown> key = Identity(Object);
    CModelNode::NodePtr found = node->SearchSubtree(key.Get());
    if (!found) return;
    // The face that will own the node is made before anything changes, and
    // the node must be detachable (held by its parent and by `found` only):
    // a node that C++ code also holds cannot be handed to a script, and the
    // tree stays as it was.
    ComPtr<CComModelNode> face = WrapperFace<CComModelNode>(found.get());
    if (found.use_count() > 2) throw CModelNode::NodePtr::BadDetach();
    found.reset();

    CModelNode::NodePtr removed = node->RemoveSubtree(key.Get());
    CModelNode* raw = removed.Detach();
    if (raw != face->PeekObject()) face->Attach(raw);
    face->m_owns = true;
  });
}

HRESULT CComModelNode::SetAssociatedItem(VARIANT Key, VARIANT Item) {
  return Guarded([&] {
    const AssociationKey key = TextKey(Key);
    // The value is stored, never a reference to the caller's variable.
    _variant_t value;
    kelto::com::ThrowIfFailed(VariantCopyInd(&value, &Item));
    GetObject()->SetAssociated(key, CModelNode::AssociatedPtr(new VariantItem(std::move(value))));
  });
}

HRESULT CComModelNode::GetAssociatedItem(VARIANT Key, VARIANT* Item) {
  return Guarded([&] {
    CheckResult(Item);
    VariantInit(Item);
    const CModelNode::AssociatedPtr item = GetObject()->GetAssociated(TextKey(Key));
    if (!item) throw std::runtime_error("Key not found");
    if (const auto* value = dynamic_cast<const VariantItem*>(item.get())) {
      kelto::com::ThrowIfFailed(VariantCopy(Item, &value->GetData()));
    } else if (const auto* text = dynamic_cast<const StringItem*>(item.get())) {
      *Item = _variant_t(text->GetData()).Detach();
    } else {
      throw std::runtime_error("Unable to extract associated Object");
    }
  });
}

HRESULT CComModelNode::ClearAssociatedItem(VARIANT Key) {
  return Guarded([&] { GetObject()->ClearAssociated(TextKey(Key)); });
}

HRESULT CComModelNode::HasAssociatedItem(VARIANT Key, VARIANT_BOOL* Result) {
  return Guarded([&] {
    CheckResult(Result);
    *Result = GetObject()->GetAssociated(TextKey(Key)) ? VARIANT_TRUE : VARIANT_FALSE;
  });
}
