// CComModelNodes: the scripting class ModelNodes (IModelNodes), the children
// of one model node in ascending key order.
//
// The collection reaches the children map through the node's ModelNode, which
// it keeps alive: a children map has no wrapper link of its own, and going
// through the ModelNode means the collection follows the node's lifetime
// without any bookkeeping. If the node goes away (its tree was released), the
// ModelNode lets go of it and the collection lists the children of the empty
// root the ModelNode makes next, which is to say none. A ModelNodes the host
// creates on its own lists nothing.
#pragma once

#include "com/ModuleLock.h"
#include "core/ModelNode.h"
#include "kelto3d/ModelTree.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"

class CComModelNode;

class CComModelNodes
    : public kelto3d::ComObject<CComModelNodes, kelto::com::Dual<kelto3d::IModelNodes>,
                                kelto::com::SupportErrorInfo<kelto3d::IModelNodes>> {
 public:
  CComModelNodes();
  ~CComModelNodes() override;

  // Lists the children of owner's node from now on.
  void SetOwner(CComModelNode* owner);

  // IModelNodes
  HRESULT get_Count(LONG* pVal) override;
  HRESULT get_Item(VARIANT Index, kelto3d::IModelNode** pVal) override;
  HRESULT get__NewEnum(IUnknown** ppEnum) override;

 private:
  // The children map, or null when there is no owner.
  const CModelNode::ChildMap* Children();

  kelto::com::ComPtr<CComModelNode> m_owner;
};
