// CComModelNode: the scripting class ModelNode (IModelNode), the face of one
// CModelNode.
//
// Ownership (CDPOwner): a ModelNode the host creates makes a root node on
// first use and owns it; a ModelNode handed out for a node inside a tree does
// not own it. Ownership moves with the node:
//  - AddChild of an owned root hands the node to the tree (the parent's
//    children map holds it from then on);
//  - RemoveSubtree hands the removed node to its ModelNode (made if needed),
//    so the subtree lives exactly as long as a script holds that object.
// When the node dies while its ModelNode lives on (its tree went away), the
// ModelNode makes a fresh, empty root on its next use.
//
// No state lives here besides the wrapper link and a weak link to the
// Children collection while it lives (so `node.Children` is one object, as
// `node.Geometry` is): the children, geometry, the attached script values and
// the tree are all the node's.
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "core/ModelNode.h"
#include "kelto3d/ModelTree.h"
#include "platform/com/Boundary.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"

class CComModelNodes;

struct ModelNodeClass {
  static constexpr CLSID clsid = kelto3d::kClsidModelNode;
};

class CComModelNode
    : public kelto3d::ComObject<CComModelNode, kelto::com::Dual<kelto3d::IModelNode>,
                                kelto::com::ConnectionPointContainer,
                                kelto::com::SupportErrorInfo<kelto3d::IModelNode>>,
      public CComWrapper<CModelNode, CComModelNode, ModelNodeClass, kelto3d::IModelNode,
                         CModelNode*, CDPOwner<CModelNode>> {
 public:
  CComModelNode();

  // IModelNode
  HRESULT get_Object(IDispatch** pVal) override;
  HRESULT putref_Object(IUnknown* newVal) override;
  HRESULT get_Geometry(kelto3d::IPrimitives** pVal) override;
  HRESULT get_Children(kelto3d::IModelNodes** pVal) override;
  HRESULT Dump(BSTR* pText) override;
  HRESULT AddChild(kelto3d::IModelNode* ChildNode) override;
  HRESULT SearchSubtree(IUnknown* Object, kelto3d::IModelNode** Node) override;
  HRESULT RemoveSubtree(IUnknown* Object) override;
  HRESULT SetAssociatedItem(VARIANT Key, VARIANT Item) override;
  HRESULT GetAssociatedItem(VARIANT Key, VARIANT* Item) override;
  HRESULT ClearAssociatedItem(VARIANT Key) override;
  HRESULT HasAssociatedItem(VARIANT Key, VARIANT_BOOL* Result) override;

  // This class behind an IModelNode, or null for null or for an object of
  // another implementation (asked through a private IID, so a host's own
  // IModelNode is refused instead of being misread).
  static CComModelNode* Implementation(kelto3d::IModelNode* node);
  // Answers the private IID of Implementation.
  bool QueryOther(REFIID riid, void** ppv);

  // Whether this ModelNode owns its node (a root it made, or one it was
  // handed by RemoveSubtree).
  bool OwnsNode() const { return m_owns && m_object; }

  // Called by the Children collection as it goes away.
  void ForgetChildren(CComModelNodes* children) {
    if (m_children == children) m_children = nullptr;
  }

 private:
  // The live Children collection, not counted: it holds this ModelNode.
  CComModelNodes* m_children = nullptr;
};
