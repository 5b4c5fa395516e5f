// ModelNode and ModelNodes driven as a script drives them (by name through
// IDispatch::Invoke), with a look at the vtables and the internal tree where
// a script cannot see the difference.
#include "com/faces/ComModelNode.h"

#include <gtest/gtest.h>

#include "ModelTreeFixtures.h"
#include "com/faces/ComModelNodes.h"
#include "core/WrapperFace.h"
#include "platform/com/Api.h"
#include "platform/com/Guid.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::MakeToken;
using kelto::test::NewKeyedNode;
using kelto::test::NewModelNode;
using kelto::test::NodeOf;
using kelto::test::ObjectOf;

namespace {

// Children.Item(index) through the ModelNodes object.
kelto::test::ScriptResult ChildAt(IDispatch* node, _variant_t index) {
  auto children = Get(node, u"Children");
  EXPECT_TRUE(children.ok());
  return Get(ObjectOf(children), u"Item", {std::move(index)});
}

LONG ChildCount(IDispatch* node) {
  auto children = Get(node, u"Children");
  auto count = Get(ObjectOf(children), u"Count");
  EXPECT_TRUE(count.ok());
  return count.value.lVal;
}

void AddChild(IDispatch* parent, IDispatch* child) {
  auto r = Call(parent, u"AddChild", {_variant_t(child)});
  ASSERT_TRUE(r.ok()) << r.error;
}

}  // namespace

TEST(ModelNode, ChildrenAreOneBasedInKeyOrderAndLookedUpByObject) {
  auto tokens = kelto::test::SortedTokens(3);
  auto root = NewModelNode();
  std::vector<ComPtr<IDispatch>> children(3);  // children[i] is keyed by tokens[i]
  // Added out of key order; listed in key order.
  for (int i : {2, 0, 1}) {
    children[i] = NewKeyedNode(tokens[i].Get());
    AddChild(root.Get(), children[i].Get());
  }
  auto grandchildToken = MakeToken();
  auto grandchild = NewKeyedNode(grandchildToken.Get());
  AddChild(children[2].Get(), grandchild.Get());
  ASSERT_EQ(ChildCount(root.Get()), 3);

  // Positions: 1 … Count, any value that converts to an unsigned integer.
  // A child's ModelNode is the one object the script added.
  EXPECT_EQ(ObjectOf(ChildAt(root.Get(), _variant_t(1))), children[0].Get());
  EXPECT_EQ(ObjectOf(ChildAt(root.Get(), _variant_t("2"))), children[1].Get());
  EXPECT_EQ(ObjectOf(ChildAt(root.Get(), _variant_t(2.0))), children[1].Get());
  // Objects are keys.
  EXPECT_EQ(ObjectOf(ChildAt(root.Get(), _variant_t(tokens[0].Get()))), children[0].Get());

  struct Case {
    _variant_t index;
    const char* error;
  };
  const Case failures[] = {
      {_variant_t(4), "Invalid Position"},
      {_variant_t(), "Invalid Position"},  // an empty VARIANT converts to 0
      {_variant_t(-1), "Bad Index"},
      {_variant_t("first"), "Bad Index"},
      {_variant_t(grandchildToken.Get()), "No Match"},  // only direct children
  };
  for (const Case& c : failures) {
    auto r = ChildAt(root.Get(), c.index);
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION) << c.error;
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.scode, DISP_E_BADINDEX) << c.error;
  }
}

TEST(ModelNode, AssociatedItemsUseTextKeys) {
  auto node = NewModelNode();
  // 7 and "7" are one key, both ways round.
  ASSERT_TRUE(Call(node.Get(), u"SetAssociatedItem", {_variant_t(7), _variant_t("seven")}).ok());
  auto read = Call(node.Get(), u"GetAssociatedItem", {_variant_t("7")});
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.value.ToString(), "seven");
  ASSERT_TRUE(Call(node.Get(), u"SetAssociatedItem", {_variant_t("8"), _variant_t(2.5)}).ok());
  read = Call(node.Get(), u"GetAssociatedItem", {_variant_t(8)});
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value.vt, VT_R8);
  EXPECT_EQ(read.value.dblVal, 2.5);

  // Clearing an absent key is no error; reading it afterwards is.
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(Call(node.Get(), u"ClearAssociatedItem", {_variant_t(7)}).ok());
  EXPECT_EQ(Call(node.Get(), u"HasAssociatedItem", {_variant_t("7")}).value.boolVal, VARIANT_FALSE);
  EXPECT_EQ(Call(node.Get(), u"GetAssociatedItem", {_variant_t(7)}).error, "Key not found");

  // A stored item is a value, not a reference (through the vtable, where no
  // dispatch layer copies it first).
  LONG variable = 5;
  _variant_t byRef;
  byRef.vt = VT_BYREF | VT_I4;
  byRef.plVal = &variable;
  auto typed = kelto::test::AsModelNode(node.Get());
  ASSERT_EQ(typed->SetAssociatedItem(_variant_t("k"), byRef), S_OK);
  variable = 6;
  _variant_t value;
  ASSERT_EQ(typed->GetAssociatedItem(_variant_t("k"), &value), S_OK);
  EXPECT_EQ(value.vt, VT_I4);
  EXPECT_EQ(value.lVal, 5);
}

TEST(ModelNode, AssociatedItemsOfOtherComponentsStayOutOfReach) {
  auto node = NewModelNode();
  CModelNode* internal = NodeOf(node.Get());
  // What a renderer attaches: an integer key, data of its own kind.
  bool died = false;
  internal->SetAssociated(AssociationKey(std::uintptr_t{0}),
                          CModelNode::AssociatedPtr(new kelto::test::DeathWatch(&died)));
  auto r = Call(node.Get(), u"GetAssociatedItem", {_variant_t(0)});
  EXPECT_EQ(r.error, "Key not found");

  // Text-keyed data of a foreign kind cannot be read; strings can.
  internal->SetAssociated(AssociationKey("foreign"),
                          CModelNode::AssociatedPtr(new kelto::test::DeathWatch(&died)));
  r = Call(node.Get(), u"GetAssociatedItem", {_variant_t("foreign")});
  EXPECT_EQ(r.error, "Unable to extract associated Object");
  internal->SetAssociated(
      AssociationKey("text"),
      CModelNode::AssociatedPtr(new CModelNode::CAssociatedData<std::string>("tag 12")));
  r = Call(node.Get(), u"GetAssociatedItem", {_variant_t("text")});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value.vt, VT_BSTR);
  EXPECT_EQ(r.value.ToString(), "tag 12");
}

// A child's node goes to the tree and back to its ModelNode with its data;
// adding it under another parent moves it.
TEST(ModelNode, AHostNodeMovesBetweenTreesAndBackToItsModelNode) {
  auto first = NewModelNode();
  auto second = NewModelNode();
  auto token = MakeToken();
  auto child = NewKeyedNode(token.Get());
  ASSERT_TRUE(Call(child.Get(), u"SetAssociatedItem", {_variant_t("name"), _variant_t("c")}).ok());
  CComModelNode* childImpl =
      CComModelNode::Implementation(kelto::test::AsModelNode(child.Get()).Get());
  for (int round = 0; round < 2; ++round) {
    AddChild(first.Get(), child.Get());
    AddChild(second.Get(), child.Get());
    EXPECT_EQ(ChildCount(first.Get()), 0);
    EXPECT_FALSE(childImpl->OwnsNode());  // the tree holds it now
    EXPECT_EQ(ObjectOf(ChildAt(second.Get(), _variant_t(1))), child.Get());

    auto removed = Call(second.Get(), u"RemoveSubtree", {_variant_t(token.Get())});
    ASSERT_TRUE(removed.ok()) << removed.error;
    EXPECT_EQ(removed.value.vt, VT_EMPTY);  // the node is not returned
    EXPECT_EQ(ChildCount(second.Get()), 0);
    EXPECT_TRUE(childImpl->OwnsNode());  // handed back to its ModelNode
    EXPECT_EQ(Call(child.Get(), u"GetAssociatedItem", {_variant_t("name")}).value.ToString(), "c");
  }
  // Removing what is not there is no error; searching for it gives Nothing.
  EXPECT_TRUE(Call(second.Get(), u"RemoveSubtree", {_variant_t(token.Get())}).ok());
  auto none = Call(second.Get(), u"SearchSubtree", {_variant_t(token.Get())});
  EXPECT_EQ(none.value.vt, VT_DISPATCH);
  EXPECT_EQ(ObjectOf(none), nullptr);
}

TEST(ModelNode, ARemovedSubtreeLivesAsLongAsItsModelNode) {
  auto root = NewModelNode();
  auto token = MakeToken();
  bool died = false;
  {
    auto child = NewKeyedNode(token.Get());
    auto grandchild = NewKeyedNode(MakeToken().Get());
    AddChild(child.Get(), grandchild.Get());
    AddChild(root.Get(), child.Get());
    NodeOf(grandchild.Get())
        ->SetAssociated(AssociationKey("watch"),
                        CModelNode::AssociatedPtr(new kelto::test::DeathWatch(&died)));
  }
  // Nobody holds the subtree's ModelNodes: removing it releases it.
  auto found = Call(root.Get(), u"SearchSubtree", {_variant_t(token.Get())});
  ASSERT_NE(ObjectOf(found), nullptr);
  ASSERT_TRUE(Call(root.Get(), u"RemoveSubtree", {_variant_t(token.Get())}).ok());
  EXPECT_FALSE(died);  // `found` holds the removed child's ModelNode
  EXPECT_EQ(ChildCount(ObjectOf(found)), 1);
  found.value.Clear();
  EXPECT_TRUE(died);
}

// A host's own IModelNode implementation (vtable callers can pass one).
class CForeignNode final
    : public kelto::com::Object<CForeignNode, kelto::test::NoDispatch<kelto3d::IModelNode>> {
 public:
  HRESULT get_Object(IDispatch**) override { return E_NOTIMPL; }
  HRESULT putref_Object(IUnknown*) override { return E_NOTIMPL; }
  HRESULT get_Geometry(kelto3d::IPrimitives**) override { return E_NOTIMPL; }
  HRESULT get_Children(kelto3d::IModelNodes**) override { return E_NOTIMPL; }
  HRESULT Dump(BSTR*) override { return E_NOTIMPL; }
  HRESULT AddChild(kelto3d::IModelNode*) override { return E_NOTIMPL; }
  HRESULT SearchSubtree(IUnknown*, kelto3d::IModelNode**) override { return E_NOTIMPL; }
  HRESULT RemoveSubtree(IUnknown*) override { return E_NOTIMPL; }
  HRESULT SetAssociatedItem(VARIANT, VARIANT) override { return E_NOTIMPL; }
  HRESULT GetAssociatedItem(VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT ClearAssociatedItem(VARIANT) override { return E_NOTIMPL; }
  HRESULT HasAssociatedItem(VARIANT, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

// A refused child leaves both trees and every ownership as they were.
TEST(ModelNode, AddChildRefusesNothingForeignNodesOwnedRootsAndCycles) {
  CModelNode::NodePtr held(new CModelNode());  // a builder's or the view control's root
  ComPtr<CComModelNode> owned = WrapperFace<CComModelNode>(held.get());
  const ComPtr<kelto3d::IModelNode> foreign(kelto::com::MakeObject<CForeignNode>());
  auto a = NewKeyedNode(MakeToken().Get());
  auto b = NewKeyedNode(MakeToken().Get());
  AddChild(a.Get(), b.Get());
  struct Row {
    IDispatch* parent;
    kelto3d::IModelNode* child;
    const char* error;
  };
  const Row rows[] = {
      {a.Get(), nullptr, "Bad child node."},
      {a.Get(), foreign.Get(), "Bad child node."},
      {a.Get(), owned.Get(), "Unable to add child node [Non-owned root]"},
      {a.Get(), kelto::test::AsModelNode(a.Get()).Get(), "Cyclic model tree not allowed."},
      {b.Get(), kelto::test::AsModelNode(b.Get()).Get(), "Cyclic model tree not allowed."},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(kelto::test::AsModelNode(row.parent)->AddChild(row.child), E_FAIL) << row.error;
    const kelto::test::Pending pending = kelto::test::TakePending();
    EXPECT_EQ(pending.text, row.error);
    EXPECT_EQ(pending.source, "{53208990-D5BA-46B7-A7E6-3FEE129F3474}");
  }
  EXPECT_EQ(Call(a.Get(), u"AddChild", {_variant_t()}).error, "Bad child node.");  // Nothing
  EXPECT_TRUE(CComModelNode::Implementation(kelto::test::AsModelNode(a.Get()).Get())->OwnsNode());
  EXPECT_EQ(ChildCount(a.Get()), 1);
  EXPECT_EQ(NodeOf(b.Get())->GetParent(), NodeOf(a.Get()));
  EXPECT_EQ(held->GetParent(), nullptr);
  EXPECT_EQ(held.use_count(), 1u);
}

TEST(ModelNode, AModelNodeOutlivingItsTreeStartsAfresh) {
  ComPtr<IDispatch> orphan;
  ComPtr<IDispatch> children;
  {
    auto root = NewModelNode();
    auto child = NewKeyedNode(MakeToken().Get());
    AddChild(child.Get(), NewKeyedNode(MakeToken().Get()).Get());
    AddChild(root.Get(), child.Get());
    orphan = child;
    // The Children collection keeps its node's ModelNode (and so the tree
    // the ModelNode owns) alive.
    children = ComPtr<IDispatch>(ObjectOf(Get(root.Get(), u"Children")));
  }
  EXPECT_EQ(Get(children.Get(), u"Count").value.lVal, 1);
  // One collection per node while it lives: a script comparing
  // node.Children with itself sees one object.
  auto again = ComPtr<IDispatch>(ObjectOf(Get(orphan.Get(), u"Children")));
  EXPECT_EQ(ComPtr<IDispatch>(ObjectOf(Get(orphan.Get(), u"Children"))).Get(), again.Get());
  again.Reset();
  children.Reset();  // the root goes, and the child's node with it
  EXPECT_EQ(ChildCount(orphan.Get()), 0);
  EXPECT_EQ(ObjectOf(Get(orphan.Get(), u"Object")), nullptr);
  EXPECT_TRUE(
      CComModelNode::Implementation(kelto::test::AsModelNode(orphan.Get()).Get())->OwnsNode());
}
