// Nodes make their children and attached-data maps when first needed. A map
// once made stays with its node however often it is emptied, and the empty
// map the others answer with is shared and never written.
#include <gtest/gtest.h>

#include <map>

#include "FakeObjects.h"
#include "core/ModelNode.h"

namespace {

using kelto::test::FakeObjects;
using NodePtr = CModelNode::NodePtr;

struct SubtreeCounter : CModelNode::CAssociated {
  explicit SubtreeCounter(int* n) : count(n) {}
  int* count;
  void OnSubtreeChanged() override { ++*count; }
};

// Gives each node the children listed for its object; geometry stays.
struct ListedSync : CModelNode::IFSynchronizer {
  std::map<IUnknown*, CModelNode::KeyList> listed;
  void SyncGeometry(CModelNode*, CGeometrySet&, bool& upToDate) override { upToDate = true; }
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool&) override {
    children = listed[node->GetKey()];
  }
};

const AssociationKey kKey("counter");

TEST(ModelNodeLazyMaps, ChildrenAndDataGrownEmptiedAndGrownAgain) {
  FakeObjects o(4);
  NodePtr root(new CModelNode(o[0]));
  const CModelNode::ChildMap* empty = &root->GetChildren();
  const CModelNode::AssociatedMap* noData = &root->GetAssociatedItems();
  root->ClearAssociated(kKey);  // nothing attached yet: nothing to do

  ListedSync sync;
  int subtree = 0;
  const CModelNode::KeyList steps[] = {{o[1], o[2]}, {}, {o[3]}, {}, {o[2], o[3], o[1]}};
  for (const CModelNode::KeyList& step : steps) {
    sync.listed[o[0]] = step;
    root->Synchronize(sync);
    ASSERT_EQ(root->GetOrderedChildren().size(), step.size());
    for (std::size_t i = 0; i < step.size(); ++i) {
      const CModelNode* child = root->GetOrderedChildren()[i];
      EXPECT_EQ(child->GetKey(), step[i]);
      EXPECT_EQ(&child->GetChildren(), empty) << "a leaf makes no map of its own";
    }
    // Data attached and detached between the steps; its hook still runs.
    if (root->GetAssociated(kKey)) {
      root->ClearAssociated(kKey);
    } else {
      root->SetAssociated(kKey, CModelNode::AssociatedPtr(new SubtreeCounter(&subtree)));
    }
  }
  EXPECT_NE(&root->GetChildren(), empty);
  EXPECT_TRUE(empty->empty()) << "the shared empty map was never written";
  EXPECT_TRUE(noData->empty());
  EXPECT_EQ(subtree, 2) << "heard while attached: the two steps to no children";
}

// A node that takes a sibling's object drops the sibling: the parent's
// children changed, and its data hears so (the renderer draws leaves from
// their parent's list and must let the dropped one go).
TEST(ModelNodeLazyMaps, ASiblingDroppedBySetObjectTellsTheParent) {
  FakeObjects o(4);
  NodePtr root(new CModelNode(o[0]));
  int subtree = 0;
  root->SetAssociated(kKey, CModelNode::AssociatedPtr(new SubtreeCounter(&subtree)));
  NodePtr a(new CModelNode(o[1]));
  root->AddChild(a);
  root->AddChild(NodePtr(new CModelNode(o[2])));
  subtree = 0;
  a->SetObject(o[3]);
  EXPECT_EQ(subtree, 0) << "a new key alone changes no child";
  a->SetObject(o[2]);
  EXPECT_EQ(subtree, 1);
  EXPECT_EQ(root->GetChildren().size(), 1u);
}

}  // namespace
