// Nodes make their children map when first needed. A map once made stays
// with its node however often it is emptied, and the empty map the others
// answer with is shared and never written.
#include <gtest/gtest.h>

#include <map>

#include "FakeObjects.h"
#include "core/ModelNode.h"

namespace {

using kelto::test::FakeObjects;
using NodePtr = CModelNode::NodePtr;

// Gives each node the children listed for its object; geometry stays.
struct ListedSync : CModelNode::IFSynchronizer {
  std::map<IUnknown*, CModelNode::KeyList> listed;
  void SyncGeometry(CModelNode*, CGeometrySet&, bool& upToDate) override { upToDate = true; }
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool&) override {
    children = listed[node->GetKey()];
  }
};

TEST(ModelNodeLazyMaps, ChildrenGrownEmptiedAndGrownAgain) {
  FakeObjects o(4);
  NodePtr root(new CModelNode(o[0]));
  const CModelNode::ChildMap* empty = &root->GetChildren();
  root->ClearAssociated(AssociationKey("none"));  // nothing attached: no map made

  ListedSync sync;
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
  }
  EXPECT_NE(&root->GetChildren(), empty);
  EXPECT_TRUE(empty->empty()) << "the shared empty map was never written";
  EXPECT_TRUE(root->GetAssociatedItems().empty());
}

}  // namespace
