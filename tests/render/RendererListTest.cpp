// Which list holds which node's drawing, and that a change to a node drawn
// inside its parent's list reaches the frame: the parent's list must be
// compiled again, or the frame keeps showing the old state.
#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <map>

#include "RendererFixture.h"

namespace kelto::test {
namespace {

class RendererLists : public RendererTest {
 protected:
  // root ─┬─ pipeline ─┬─ first   (leaves)
  //       │            └─ second
  //       └─ loose                (a leaf right under the root)
  void SetUp() override {
    RendererTest::SetUp();
    pipeline = tree_.Add({});
    first = tree_.Add(Cylinder({-4, 0, 0}, {-1, 0, 0}, 1.0, 0x00FF00), pipeline);
    second = tree_.Add(Cylinder({1, 0, 0}, {4, 0, 0}, 1.0, 0x00FF00), pipeline);
    loose = tree_.Add(Cylinder({0, 3, 0}, {0, 4, 0}, 1.0, 0x00FF00));
    // A frame far wider than the model, so moved geometry stays in view.
    tree_.Add(Cylinder({-8, -8, 0}, {-8, -7.9, 0}, 0.1, 0x00FF00));
    tree_.Add(Cylinder({8, 8, 0}, {8, 8.1, 0}, 0.1, 0x00FF00));
    Start();
    LookDownAndFit();
    RenderFrame();
  }
  const CGLRenderer::NodeData& Data(CModelNode* n) { return *renderer_->GetNodeData(n); }
  bool Green(const CPoint3& p) {
    const Rgb c = PixelAt(p);
    return c.g > 100 && c.r == 0;
  }
  bool Red(const CPoint3& p) {
    const Rgb c = PixelAt(p);
    return c.r > 100 && c.g == 0;
  }

  CModelNode *pipeline = nullptr, *first = nullptr, *second = nullptr, *loose = nullptr;
};

TEST_F(RendererLists, ALeafThatGainsAChildGetsItsOwnListAndLosesItAgain) {
  CModelNode* child = tree_.Add(Cylinder({-2.5, -3, 0}, {-2.5, -2, 0}, 1.0, 0xFF0000), first);
  const unsigned own = Data(first).ListId();
  ASSERT_NE(own, 0u);
  EXPECT_FALSE(Data(first).InParentList());
  EXPECT_TRUE(Data(child).InParentList());
  RenderFrame();
  EXPECT_TRUE(Green({-2.5, 0, 0})) << "the node's own primitives moved with it";
  EXPECT_GT(PixelAt({-2.5, -2.5, 0}).b, 100) << "its child is drawn";

  CModelNode::NodePtr kept = first->RemoveSubtree(child->GetKey());
  EXPECT_EQ(Data(first).ListId(), 0u);
  EXPECT_TRUE(Data(first).InParentList());
  EXPECT_FALSE(glIsList(own));
  RenderFrame();
  EXPECT_TRUE(Green({-2.5, 0, 0}));
  EXPECT_EQ(PixelAt({-2.5, -2.5, 0}), Rgb{});
}

// Each change is made to a leaf drawn in its parent's list; the frame after
// it must show the change.
TEST_F(RendererLists, ChangesToALeafReachTheFrame) {
  // New geometry: the second pipe moves down.
  second->GetGeometry() = Cylinder({1, -3, 0}, {4, -3, 0}, 1.0, 0x00FF00);
  second->GeometryChanged(true);
  RenderFrame();
  EXPECT_EQ(PixelAt({2.5, 0, 0}), Rgb{});
  EXPECT_TRUE(Green({2.5, -3, 0}));

  // Selection turns only that leaf red, in both parents' lists.
  renderer_->Select(first);
  renderer_->Select(loose);
  RenderFrame();
  EXPECT_TRUE(Red({-2.5, 0, 0}));
  EXPECT_TRUE(Red({0, 3.5, 0}));
  EXPECT_TRUE(Green({2.5, -3, 0}));
  renderer_->Unselect(first);
  std::vector<CModelNode*> selected;
  renderer_->UnselectAll(selected);
  RenderFrame();
  EXPECT_TRUE(Green({-2.5, 0, 0}));
  EXPECT_TRUE(Green({0, 3.5, 0}));

  // Removal: the leaf's drawing leaves its parent's list, and a pick finds
  // nothing there any more.
  CModelNode::NodePtr kept = tree_.Remove(loose);
  RenderFrame();
  EXPECT_EQ(PixelAt({0, 3.5, 0}), Rgb{});
  EXPECT_TRUE(PickAt({0, 3.5, 0}).empty());

  // Moving a leaf to another parent draws it from there, once.
  CModelNode::NodePtr moved = pipeline->RemoveSubtree(first->GetKey());
  tree_.Root()->AddChild(moved);
  EXPECT_TRUE(Data(first).InParentList());
  RenderFrame();
  EXPECT_TRUE(Green({-2.5, 0, 0}));
  const CHitList hits = PickAt({-2.5, 0, 0});
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].Node, first);
}

}  // namespace
}  // namespace kelto::test

namespace kelto::test {
namespace {

using BuildProgress = RendererTest;

// A build reports the components it prepares, then the lists it compiles,
// each stage rising from 0 in at most eleven steps (the command line's
// --progress test sees both reach 100 %); later changes report nothing.
TEST_F(BuildProgress, ReportsEachStageInFewRisingSteps) {
  for (int p = 0; p < 25; ++p) {
    CModelNode* pipeline = tree_.Add({});
    for (int c = 0; c < 8; ++c)
      tree_.Add(Cylinder({double(c), double(p), 0}, {c + 0.9, double(p), 0}, 0.2), pipeline);
  }
  using Stage = CGLRenderer::CBuildProgress::Stage;
  std::vector<Stage> order;
  std::map<Stage, std::vector<std::size_t>> done;
  CGLRenderer renderer;
  renderer.SetBuildProgress([&](const CGLRenderer::CBuildProgress& p) {
    if (order.empty() || order.back() != p.What) order.push_back(p.What);
    done[p.What].push_back(p.Done);
  });
  renderer.Init(tree_.Root(), &surface_);
  EXPECT_EQ(order, (std::vector<Stage>{Stage::Components, Stage::Lists}));
  for (const auto& [stage, steps] : done) {
    EXPECT_EQ(steps.front(), 0u);
    EXPECT_EQ(std::adjacent_find(steps.begin(), steps.end(), std::greater_equal<>()), steps.end());
    EXPECT_LE(steps.size(), 12u);
  }
  order.clear();
  renderer.Select(tree_.Root());
  EXPECT_TRUE(order.empty());
}

}  // namespace
}  // namespace kelto::test
