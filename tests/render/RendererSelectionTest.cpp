// Selection states and option changes of a renderer.
#include "RendererFixture.h"

namespace kelto::test {
namespace {

using RendererSelection = RendererTest;

class RendererSelectionTree : public RendererTest {
 protected:
  // parent ─┬─ child ── grandchild
  //         └─ sibling
  void SetUp() override {
    RendererTest::SetUp();
    parent = tree_.Add(Cylinder({0, 0, 0}, {1, 0, 0}, 0.2));
    child = tree_.Add(Cylinder({0, 1, 0}, {1, 1, 0}, 0.2), parent);
    grandchild = tree_.Add(Cylinder({0, 2, 0}, {1, 2, 0}, 0.2), child);
    sibling = tree_.Add(Cylinder({0, 3, 0}, {1, 3, 0}, 0.2), parent);
    Start();
  }
  int Sel(CModelNode* n) { return renderer_->GetNodeData(n)->Selection(); }

  CModelNode *parent = nullptr, *child = nullptr, *grandchild = nullptr, *sibling = nullptr;
};

TEST_F(RendererSelectionTree, SelectingMarksTheSubtreeAndUnselectingAChildClearsOnlyItsPart) {
  renderer_->Select(parent);
  EXPECT_EQ(Sel(parent), 2);
  EXPECT_EQ(Sel(child), 1);
  EXPECT_EQ(Sel(grandchild), 1);
  EXPECT_EQ(Sel(sibling), 1);
  EXPECT_EQ(Sel(tree_.Root()), 0);

  renderer_->Unselect(child);
  EXPECT_EQ(Sel(parent), 2);
  EXPECT_EQ(Sel(child), 0);
  EXPECT_EQ(Sel(grandchild), 0);
  EXPECT_EQ(Sel(sibling), 1);
  EXPECT_TRUE(renderer_->IsSelected(sibling));

  // Selecting an inherited node makes it explicit without touching others.
  renderer_->Select(sibling);
  EXPECT_EQ(Sel(sibling), 2);
  // A node added under a selected node starts selected (inherited).
  CModelNode* late = tree_.Add(Cylinder({0, 4, 0}, {1, 4, 0}, 0.2), sibling);
  EXPECT_EQ(Sel(late), 1);
}

TEST_F(RendererSelectionTree, UnselectAllReportsTheExplicitSelectionParentsFirst) {
  renderer_->Select(grandchild);
  renderer_->Select(parent);
  std::vector<CModelNode*> selected;
  renderer_->UnselectAll(selected);
  EXPECT_EQ(selected, (std::vector<CModelNode*>{parent, grandchild}));
  for (CModelNode* n : {parent, child, grandchild, sibling}) EXPECT_EQ(Sel(n), 0);
}

TEST_F(RendererSelectionTree, AnOptionChangeRebuildsEveryListAndClearsTheSelection) {
  CModelNode* bend = tree_.Add(Bend({0, 5, 0}, {1, 5, 0}, {1, 6, 0}, 0.2), sibling);
  renderer_->Select(parent);
  ASSERT_TRUE(renderer_->IsSelected(bend));
  const auto misses = renderer_->GetBendCache().Misses();
  SetOption("Edges", 24);
  // Every bend was tessellated again (with the new edges)...
  EXPECT_EQ(renderer_->GetBendCache().Misses(), misses + 1);
  // ...every node has data and is drawn by a list again, none of it selected.
  for (CModelNode* n : {tree_.Root(), parent, child, grandchild, sibling, bend}) {
    ASSERT_NE(renderer_->GetNodeData(n), nullptr);
    EXPECT_TRUE(renderer_->GetNodeData(n)->ListId() != 0 ||
                renderer_->GetNodeData(n)->InParentList());
    EXPECT_EQ(Sel(n), 0);
  }
}

TEST_F(RendererSelection, DataOfSeveralRenderersOnOneTreeIsKeptApart) {
  CModelNode* n = tree_.Add(Cylinder({0, 0, 0}, {1, 0, 0}, 0.2));
  CGLRenderer& first = Start();
  CGLRenderer second(tree_.Root(), &surface_);
  first.Select(n);
  EXPECT_TRUE(first.IsSelected(n));
  EXPECT_FALSE(second.IsSelected(n));
  EXPECT_NE(first.GetNodeData(n)->Name(), 0u);
  EXPECT_NE(first.GetNodeData(n), second.GetNodeData(n));
}

}  // namespace
}  // namespace kelto::test
