// Shared pieces of the model-tree scripting tests: tokens that stand for the
// outside objects nodes are keyed by, ModelNodes made the way a host makes
// them, and a look behind a ModelNode at its internal node.
#pragma once

#include <algorithm>
#include <vector>

#include "com/faces/ComModelNode.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "support/NoDispatch.h"
#include "support/ScriptHost.h"

namespace kelto::test {

// A bare automation object: a key for nodes and nothing else.
class CToken final : public kelto::com::Object<CToken, NoDispatch<IDispatch>> {};

inline kelto::com::ComPtr<IDispatch> MakeToken() {
  return kelto::com::ComPtr<IDispatch>(kelto::com::MakeObject<CToken>().Get());
}

// Tokens sorted by identity: the order children are listed in.
inline std::vector<kelto::com::ComPtr<IDispatch>> SortedTokens(std::size_t n) {
  std::vector<kelto::com::ComPtr<IDispatch>> tokens;
  for (std::size_t i = 0; i < n; ++i) tokens.push_back(MakeToken());
  std::sort(tokens.begin(), tokens.end(), [](const auto& a, const auto& b) {
    return kelto::com::Identity(a.Get()).Get() < kelto::com::Identity(b.Get()).Get();
  });
  return tokens;
}

// A ModelNode as CoCreateInstance makes it (through the class's creator).
inline kelto::com::ComPtr<IDispatch> NewModelNode() {
  kelto::com::ComPtr<IDispatch> node;
  kelto::com::CreateInstanceOf<CComModelNode>(kelto::com::IidOf<IDispatch>(), node.PutVoid());
  return node;
}

inline kelto::com::ComPtr<kelto3d::IModelNode> AsModelNode(IDispatch* node) {
  kelto::com::ComPtr<kelto3d::IModelNode> r;
  if (node) node->QueryInterface(kelto::com::IidOf<kelto3d::IModelNode>(), r.PutVoid());
  return r;
}

// The internal node behind a ModelNode (made on demand, as any use would).
inline CModelNode* NodeOf(IDispatch* node) {
  CComModelNode* implementation = CComModelNode::Implementation(AsModelNode(node).Get());
  return implementation ? implementation->GetObject() : nullptr;
}

// A ModelNode keyed by a token: a new host node whose Object is set.
inline kelto::com::ComPtr<IDispatch> NewKeyedNode(IDispatch* token) {
  auto node = NewModelNode();
  PutRef(node.Get(), u"Object", {_variant_t(token)});
  return node;
}

// Attached data that records its own destruction (so, its node's).
class DeathWatch : public CModelNode::CAssociated {
 public:
  explicit DeathWatch(bool* died) : m_died(died) {}
  ~DeathWatch() override { *m_died = true; }

 private:
  bool* m_died;
};

}  // namespace kelto::test
