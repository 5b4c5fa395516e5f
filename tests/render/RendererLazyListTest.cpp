// Node lists compiled when first needed, and the centre lines of a plant
// seen whole merged into a few draws: what a frame, a pick and a change
// find after a frame that compiled nothing but lines.
#include <functional>
#include <set>

#include "RendererFixture.h"
#include "render/CentreLineRuns.h"
#include "render/StandardViewDir.h"

namespace kelto::test {
namespace {

class RendererLazyLists : public RendererTest {
 protected:
  static constexpr int kSide = 4;  // kSide × kSide pipelines of two pipes each
  static constexpr double kBore = 0.005;

  void SetUp() override {
    RendererTest::SetUp();
    for (int i = 0; i < kSide; ++i) {
      for (int j = 0; j < kSide; ++j) {
        CModelNode* pipeline = tree_.Add({});
        const CPoint3 at(3.0 * i, 3.0 * j, 0);
        pipes.push_back(tree_.Add(Cylinder(at, at + CVector3(2, 0, 0), kBore), pipeline));
        tree_.Add(Cylinder(at + CVector3(2, 0, 0), at + CVector3(2, 2, 0), kBore, 0xFF0000),
                  pipeline);
        pipelines.push_back(pipeline);
      }
    }
    CGLRenderer& r = Start();
    const CViewDirection d = *GetStandardViewDir(svdLookDown);
    r.SetViewDir(d.View, d.Up);
    r.SetHiddenTest([this](const CModelNode* n) { return hidden.count(n) != 0; });
    Fit();
    SetOption("AxesSize", 0L);  // builds every list again, and draws the plant whole
    Whole();
  }
  void Whole() {
    Fit();
    RenderFrame();
  }
  // Close enough to the point that a pipe is many pixels across.
  void CloseUp(const CPoint3& point) {
    Fit();
    renderer_->SetCentre(point);
    renderer_->Zoom(200);
    RenderFrame();
  }
  const CGLRenderer::NodeData& Data(const CModelNode* n) { return *renderer_->GetNodeData(n); }
  const CGLRenderer::CFrameStats& Stats() const { return renderer_->GetFrameStats(); }
  enum Hue { kGreen, kRed, kBlue };
  // Pixels of the hue in a few pixels' square around the point.
  int Near(const CPoint3& point, Hue hue) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    int n = 0;
    for (int y = int(w.y) - 2; y <= int(w.y) + 2; ++y)
      for (int x = int(w.x) - 2; x <= int(w.x) + 2; ++x) {
        const Rgb c = Pixel(x, y);
        const int v[3] = {c.g, c.r, c.b};
        n += v[hue] > 200 && c.r + c.g + c.b - v[hue] < 100;
      }
    return n;
  }
  CModelNode* PickAt(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    CHitList hits;
    renderer_->Pick({w.x, w.y}, hits);
    return hits.empty() ? nullptr : hits.front().Node;
  }

  std::vector<CModelNode*> pipelines, pipes;
  std::set<const CModelNode*> hidden;
};

TEST_F(RendererLazyLists, APlantSeenWholeIsOneRunOfLinesAndCompilesNoPipeline) {
  EXPECT_EQ(Stats().CentreLines, kSide * kSide);
  EXPECT_EQ(Stats().LineRuns, 1);
  for (CModelNode* p : pipelines) {
    EXPECT_FALSE(Data(p).ListCompiled());
    EXPECT_TRUE(Data(p).LinesStored());
  }
  EXPECT_GT(Near({1, 0, 0}, kGreen), 0) << "the green pipe's line";
  EXPECT_GT(Near({2, 1, 0}, kBlue), 0) << "the blue pipe's line, in its own colour";
}

// A node first drawn close up after a frame of lines has its list compiled
// then, draws its surfaces, and picks as a single component.
TEST_F(RendererLazyLists, ANodeFirstSeenCloseUpIsCompiledDrawnAndPicked) {
  const CPoint3 middle(1, 0, 0);
  CloseUp(middle);
  EXPECT_GE(Stats().Compiled, 1);
  EXPECT_TRUE(Data(pipelines[0]).ListCompiled());
  EXPECT_FALSE(Data(pipelines.back()).ListCompiled()) << "out of view, never needed";
  EXPECT_GT(PixelAt(middle).g, 100);
  EXPECT_EQ(PickAt(middle), pipes[0]);

  // Picking a pipeline never drawn close up needs no list at all.
  Whole();
  const CPoint3 far(3.0 * (kSide - 1) + 1, 3.0 * (kSide - 1), 0);
  CloseUp(far);
  EXPECT_EQ(PickAt(far), pipes.back());
}

// The node's geometry changes while its list has never been compiled: both
// its lines and, close up, its surfaces show the new geometry only.
TEST_F(RendererLazyLists, ANeverCompiledNodeShowsItsNewGeometry) {
  const CPoint3 oldMiddle(1, 0, 0), newMiddle(1, 1.5, 0);
  pipes[0]->GetGeometry() = Cylinder({0, 1.5, 0}, {2, 1.5, 0}, kBore);
  pipes[0]->GeometryChanged(true);
  EXPECT_FALSE(Data(pipelines[0]).LinesStored());
  Whole();
  EXPECT_EQ(Near(oldMiddle, kGreen), 0);
  EXPECT_GT(Near(newMiddle, kGreen), 0);
  CloseUp(newMiddle);
  EXPECT_GT(PixelAt(newMiddle).g, 100);
  EXPECT_EQ(PickAt(newMiddle), pipes[0]);
  CloseUp(oldMiddle);
  EXPECT_EQ(PixelAt(oldMiddle), Rgb{});
}

// Selection and hiding reach the merged lines: a selected pipeline turns
// red in place, a hidden pipeline or component vanishes, and each shows
// again as it was.
TEST_F(RendererLazyLists, MergedLinesShowSelectionAndHiding) {
  const CPoint3 green(1, 0, 0), blue(2, 1, 0);
  struct Case {
    const char* name;
    std::function<void()> change, undo;
    bool redAtGreen;
  };
  const Case cases[] = {
      {"select the pipeline", [&] { renderer_->Select(pipelines[0]); },
       [&] { renderer_->Unselect(pipelines[0]); }, true},
      {"select one pipe", [&] { renderer_->Select(pipes[0]); },
       [&] { renderer_->Unselect(pipes[0]); }, true},
      {"hide the pipeline",
       [&] {
         hidden.insert(pipelines[0]);
         renderer_->VisibilityChanged({pipelines[0]});
       },
       [&] {
         hidden.clear();
         renderer_->VisibilityChanged({pipelines[0]});
       },
       false},
      {"hide one pipe",
       [&] {
         hidden.insert(pipes[0]);
         renderer_->VisibilityChanged({pipes[0]});
       },
       [&] {
         hidden.clear();
         renderer_->VisibilityChanged({pipes[0]});
       },
       false},
  };
  const int blueBefore = Near(blue, kBlue);
  ASSERT_GT(blueBefore, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.change();
    Whole();
    EXPECT_EQ(Near(green, kGreen), 0);
    EXPECT_EQ(Near(green, kRed) > 0, c.redAtGreen);
    EXPECT_FALSE(Data(pipelines[0]).ListCompiled());
    EXPECT_GT(Near({4, 0, 0}, kGreen), 0) << "the next pipeline stays";
    c.undo();
    Whole();
    EXPECT_GT(Near(green, kGreen), 0);
    EXPECT_EQ(Near(green, kRed), 0);
    EXPECT_EQ(Near(blue, kBlue), blueBefore);
  }
}

// The merged array: slots rewritten in place or moved, runs merged where
// slots touch, and the array refilled once half of it is unused.
TEST(CentreLineRuns, SlotsMoveMergeAndAreDroppedOnceHalfUnused) {
  const auto lines = [](int n) {
    CLineVertices v;
    for (int i = 0; i < n; ++i) v.Add({0, 0, 0}, {1, 0, 0}, 0x0000FF);
    return v;
  };
  CCentreLineRuns runs;
  CCentreLineRuns::Slot a, b, c;
  runs.Store(a, lines(2));
  runs.Store(b, lines(3));
  runs.Store(c, lines(1));
  EXPECT_EQ(runs.Size(), 12u);
  const struct {
    const char* name;
    CLineVertices lines;
    std::uint32_t first, size;
  } stores[] = {{"same count: in place", lines(3), 4, 12}, {"more: moved", lines(4), 12, 20}};
  for (const auto& s : stores) {
    SCOPED_TRACE(s.name);
    runs.Store(b, s.lines);
    EXPECT_EQ(b.First, s.first);
    EXPECT_EQ(runs.Size(), s.size);
  }
  EXPECT_EQ(runs.Used(), 14u);
  runs.Release(c);
  runs.BeginFrame();
  EXPECT_TRUE(runs.Holds(a)) << "12 of 20 vertices in use";
  runs.Release(a);
  EXPECT_TRUE(runs.Holds(b)) << "kept until a frame begins";
  runs.BeginFrame();
  EXPECT_FALSE(runs.Holds(b));
  EXPECT_EQ(runs.Size(), 0u);
}

using CentreLineDraws = RendererTest;

TEST_F(CentreLineDraws, SlotsSideBySideAreOneDraw) {
  CLineVertices one;
  one.Add({0, 0, 0}, {1, 0, 0}, 0x00FF00);
  CCentreLineRuns runs;
  CCentreLineRuns::Slot s[4];
  for (auto& slot : s) runs.Store(slot, one);
  const struct {
    std::vector<int> drawn;
    int draws;
  } cases[] = {{{0, 1, 2, 3}, 1}, {{3, 1, 0}, 2}, {{0, 2}, 2}, {{}, 0}};
  for (const auto& c : cases) {
    runs.BeginFrame();
    for (int i : c.drawn) runs.Add(s[i]);
    EXPECT_EQ(runs.Draw(1.0f), c.draws);
  }
}

}  // namespace
}  // namespace kelto::test
