// Node lists compiled when first needed, and the merged centre lines of a
// plant seen whole: what a close-up, a pick and a change find afterwards.
#include <set>

#include "RendererFixture.h"
#include "render/StandardViewDir.h"

namespace kelto::test {
namespace {

class RendererLazyLists : public RendererTest {
 protected:
  // A 3 × 3 plant of thin green pipes seen whole from above: every pipeline
  // is drawn as centre lines, and their lists are never compiled.
  void SetUp() override {
    RendererTest::SetUp();
    for (int i = 0; i < 9; ++i) {
      CModelNode* pipeline = tree_.Add({});
      const CPoint3 at(3.0 * (i % 3), 3.0 * (i / 3), 0);
      pipes.push_back(tree_.Add(Cylinder(at, at + CVector3(2, 0, 0), 0.005), pipeline));
      pipelines.push_back(pipeline);
    }
    Start().SetHiddenTest([this](const CModelNode* n) { return hidden.count(n) != 0; });
    const CViewDirection d = *GetStandardViewDir(svdLookDown);
    renderer_->SetViewDir(d.View, d.Up);
    Show(nullptr);
  }
  // The plant seen whole, or close up on the point.
  void Show(const CPoint3* point) {
    Fit();
    if (point) renderer_->SetCentre(*point), renderer_->Zoom(200);
    RenderFrame();
  }
  // The brightest green and red within two pixels of the point.
  Rgb Near(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    Rgb most;
    for (int y = int(w.y) - 2; y <= int(w.y) + 2; ++y)
      for (int x = int(w.x) - 2; x <= int(w.x) + 2; ++x) {
        most.r = std::max(most.r, Pixel(x, y).r);
        most.g = std::max(most.g, Pixel(x, y).g);
      }
    return most;
  }
  const CPoint3 middle{1, 0, 0}, moved{1, 1.5, 0};

  std::vector<CModelNode*> pipelines, pipes;
  std::set<const CModelNode*> hidden;
};

TEST_F(RendererLazyLists, ANodeFirstSeenCloseUpIsCompiledDrawnAndPicked) {
  EXPECT_EQ(renderer_->GetFrameStats().LineRuns, 1) << "the plant seen whole is one draw";
  EXPECT_FALSE(renderer_->GetNodeData(pipelines[0])->ListCompiled());
  Show(&middle);
  EXPECT_TRUE(renderer_->GetNodeData(pipelines[0])->ListCompiled());
  EXPECT_FALSE(renderer_->GetNodeData(pipelines[8])->ListCompiled()) << "out of view";
  EXPECT_GT(PixelAt(middle).g, 100);
  EXPECT_EQ(FirstHitAt(middle), pipes[0]);
}

TEST_F(RendererLazyLists, ANeverCompiledNodeShowsItsNewGeometry) {
  pipes[0]->GetGeometry() = Cylinder({0, 1.5, 0}, {2, 1.5, 0}, 0.005);
  pipes[0]->GeometryChanged(true);
  Show(nullptr);
  EXPECT_EQ(Near(middle).g, 0) << "its old line";
  EXPECT_GT(Near(moved).g, 200);
  Show(&moved);
  EXPECT_GT(PixelAt(moved).g, 100);
  EXPECT_EQ(FirstHitAt(moved), pipes[0]);
}

// Selecting or hiding a pipeline or its pipe reaches the merged lines, and
// undoing it brings the line back as it was; the next pipeline stays.
TEST_F(RendererLazyLists, MergedLinesShowSelectionAndHiding) {
  const auto hide = [&](CModelNode* n, bool on) {
    on ? void(hidden.insert(n)) : void(hidden.erase(n));
    renderer_->VisibilityChanged({n});
  };
  const struct {
    CModelNode* node;
    bool select;
    Rgb seen;  // brightest red and green at the pipe
  } cases[] = {{pipelines[0], true, {255, 0, 0}}, {pipes[0], true, {255, 0, 0}},
               {pipelines[0], false, {}},         {pipes[0], false, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.node == pipes[0]) << c.select);
    c.select ? renderer_->Select(c.node) : hide(c.node, true);
    Show(nullptr);
    EXPECT_EQ(Near(middle), c.seen);
    EXPECT_GT(Near({4, 0, 0}).g, 200);
    c.select ? renderer_->Unselect(c.node) : hide(c.node, false);
    Show(nullptr);
    EXPECT_EQ(Near(middle), (Rgb{0, 255, 0}));
  }
}

}  // namespace
}  // namespace kelto::test
