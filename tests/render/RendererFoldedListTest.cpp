// Leaves drawn in their parent's list are records of the parent's list
// data, not data of their own: each must still be picked, selected and
// followed alone, and the shared lists they call are compiled only when a
// list or a pick first calls them.
#include "RendererFixture.h"

namespace kelto::test {
namespace {

class RendererFoldedLists : public RendererTest {
 protected:
  // root ── pipeline ── four pipes of one list side by side along x, and a
  // bend with them (every primitive shared: cones and a bend).
  void SetUp() override {
    RendererTest::SetUp();
    pipeline = tree_.Add({});
    for (int i = 0; i < 4; ++i)
      pipes.push_back(tree_.Add(Cylinder(At(i) - CVector3(1, 0, 0), At(i) + CVector3(1, 0, 0), 0.8),
                                pipeline));
    bend = tree_.Add(Bend({-2, 3, 0}, {0, 3, 0}, {0, 5, 0}, 0.8), pipeline);  // corner (0, 3)
    Start();
    LookDownAndFit();
  }
  static CPoint3 At(int i) { return {3.0 * i, 0, 0}; }
  CModelNode* HitAt(const CPoint3& p) {
    const CHitList hits = PickAt(p);
    return hits.size() == 1 ? hits[0].Node : nullptr;
  }
  bool Red(const CPoint3& p) { return PixelAt(p).r > 100 && PixelAt(p).g == 0; }

  CModelNode *pipeline = nullptr, *bend = nullptr;
  std::vector<CModelNode*> pipes;
};

TEST_F(RendererFoldedLists, EachLeafOfOneListIsPickedAndSelectedAlone) {
  const CBendCache& cones = renderer_->GetConeCache();
  EXPECT_EQ(cones.Waiting(), cones.Size()) << "nothing called yet";
  EXPECT_EQ(renderer_->GetBendCache().Waiting(), 1u);
  // Picked before any frame: the pick compiles the shared lists it calls.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(HitAt(At(i)), pipes[i]) << i;
  EXPECT_EQ(HitAt({-0.586, 3.586, 0}), bend);
  EXPECT_EQ(cones.Waiting() + renderer_->GetBendCache().Waiting(), 0u);
  renderer_->Select(pipes[2]);
  RenderFrame();
  for (int i = 0; i < 4; ++i) {
    const CGLRenderer::NodeData* data = renderer_->GetNodeData(pipes[i]);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->InParentList());
    EXPECT_EQ(data->Selection(), i == 2 ? 2 : 0);
    EXPECT_EQ(Red(At(i)), i == 2) << i;
  }
}

// A leaf that gains a child moves into a list of its own and back when the
// child goes, under the same name and selection.
TEST_F(RendererFoldedLists, ALeafKeepsItsNameAndSelectionThroughItsOwnList) {
  renderer_->Select(pipes[1]);
  const std::uint32_t name = renderer_->GetNodeData(pipes[1])->Name();
  CModelNode* child = tree_.Add(Cylinder({3, -3, 0}, {3, -2, 0}, 0.5), pipes[1]);
  const struct {
    const char* when;
    bool ownList;
  } steps[] = {{"with a child", true}, {"without it again", false}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.when);
    const CGLRenderer::NodeData* data = renderer_->GetNodeData(pipes[1]);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Name(), name);
    EXPECT_EQ(data->Selection(), 2);
    EXPECT_EQ(data->ListId() != 0, step.ownList);
    EXPECT_EQ(data->InParentList(), !step.ownList);
    RenderFrame();
    EXPECT_TRUE(Red(At(1)));
    EXPECT_EQ(HitAt(At(1)), pipes[1]);
    if (step.ownList) {
      EXPECT_EQ(renderer_->GetNodeData(child)->Selection(), 1);
      CModelNode::NodePtr gone = pipes[1]->RemoveSubtree(child->GetKey());
    }
  }
}

// A node that takes a sibling's object drops that sibling from the tree; its
// record must go with it (the sibling dies here: nothing else holds it).
TEST_F(RendererFoldedLists, ASiblingDroppedBySetObjectLeavesTheList) {
  RenderFrame();
  pipes[0]->SetObject(pipes[3]->GetKey());
  RenderFrame();
  EXPECT_EQ(PixelAt(At(3)), Rgb{});
  EXPECT_EQ(HitAt(At(3)), nullptr);
  EXPECT_EQ(HitAt(At(0)), pipes[0]);
}

}  // namespace
}  // namespace kelto::test
