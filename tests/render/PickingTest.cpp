// Picking: the selection pass over the renderer's lists, and the decoding of
// selection records.
#include "render/Picking.h"

#include <GL/gl.h>

#include <array>
#include <functional>
#include <map>
#include <vector>

#include "RendererFixture.h"

namespace kelto::test {
namespace {

class Picking : public RendererTest {
 protected:
  static std::vector<CModelNode*> Nodes(const CHitList& hits) {
    std::vector<CModelNode*> nodes;
    for (const CHitRecord& h : hits) nodes.push_back(h.Node);
    return nodes;
  }
};

// Overlapping nodes come nearest first, and the pick leaves the matrices,
// the render mode and the next frame as they were.
TEST_F(Picking, OverlappingNodesComeNearestFirstAndThePickLeavesNoTrace) {
  CModelNode* low = tree_.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 1));
  CModelNode* high = tree_.Add(Cylinder({0, -5, 3}, {0, 5, 3}, 1));
  Start();
  LookDownAndFit();
  renderer_->Rotate({1, 1, 0}, 5);
  const auto matrices = [] {
    std::array<double, 32> m{};
    glGetDoublev(GL_PROJECTION_MATRIX, m.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data() + 16);
    return m;
  };
  const auto before = matrices();
  const CHitList hits = PickAt({0, 0, 0});
  ASSERT_EQ(Nodes(hits), (std::vector<CModelNode*>{high, low}));
  EXPECT_LT(hits[0].MinDepth, hits[1].MinDepth);  // the depths' scale: SelectionBuffer

  EXPECT_EQ(matrices(), before);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  glGetIntegerv(GL_RENDER_MODE, &mode);
  EXPECT_EQ(mode, GL_RENDER);
  RenderFrame();
  const std::vector<std::uint8_t> picked = frame_;
  renderer_->Resize(kSize, kSize);
  RenderFrame();
  EXPECT_EQ(picked, frame_);
}

TEST_F(Picking, AChildIsHitRatherThanTheParentThatCallsIt) {
  CModelNode* parent = tree_.Add(Cylinder({-5, 0, 0}, {0, 0, 0}, 1));
  CModelNode* child = tree_.Add(Cylinder({3, -4, 0}, {3, 4, 0}, 1), parent);
  Start();
  LookDownAndFit();
  EXPECT_EQ(Nodes(PickAt({3, 2, 0})), std::vector<CModelNode*>{child});
  EXPECT_EQ(Nodes(PickAt({-3, 0, 0})), std::vector<CModelNode*>{parent});
}

TEST_F(Picking, HitsThatOverflowTheFirstSelectionBufferAreAllFound) {
  // Each hit takes 5 words (count, two depths, root and node names): 2100
  // words overflow the first buffer, which GL reports as -1 records.
  for (int i = 0; i < 420; ++i) tree_.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 1));
  Start();
  LookDownAndFit();
  EXPECT_EQ(PickAt({0, 0, 0}).size(), 420u);
}

// The pick-box pass walks the tree and skips subtrees that cannot reach the
// box; its hits must be exactly those of the pass over every node list.
TEST_F(Picking, SkippingSubtreesGivesTheHitsOfEveryList) {
  for (int row = 0; row < 6; ++row) {
    CModelNode* line = tree_.Add({});
    for (int i = 0; i < 6; ++i) {
      const double x = i * 2.0, y = row * 2.0, z = (i + row) % 3;
      tree_.Add(Cylinder({x, y, z}, {x + 1.5, y, z}, 0.6), line);
      tree_.Add(Bend({x + 1.5, y, z}, {x + 2, y, z}, {x + 2, y + 0.5, z}, 0.6), line);
      tree_.Add(Cylinder({x + 1, y - 1, z + 1}, {x + 1, y + 1, z + 1}, 0.3), line);
    }
  }
  Start();
  renderer_->SetViewDir({1, 0.6, -1.3}, {0, 0, 1});
  Fit();
  std::map<std::uint32_t, CModelNode*> names;
  const std::function<void(CModelNode*)> collect = [&](CModelNode* n) {
    names[renderer_->GetNodeData(n)->Name()] = n;
    for (const auto& [key, child] : n->GetChildren()) collect(child.get());
  };
  collect(tree_.Root());
  const NameResolver resolve = [&](std::uint32_t name) {
    return names.count(name) ? names[name] : nullptr;
  };

  int withHits = 0;
  for (int y = 5; y < kSize; y += 15) {
    for (int x = 5; x < kSize; x += 15) {
      CHitList walked;
      renderer_->Pick({double(x), double(y)}, walked);
      PushPickMatrix(x, y, kPickBoxSize);
      const CHitList listed = SelectionPass([&] { renderer_->DrawModel(false); }, resolve);
      glMatrixMode(GL_PROJECTION);
      glPopMatrix();
      glMatrixMode(GL_MODELVIEW);
      ASSERT_EQ(walked.size(), listed.size()) << x << "," << y;
      for (std::size_t i = 0; i < walked.size(); ++i) {
        EXPECT_EQ(walked[i].Node, listed[i].Node);
        EXPECT_EQ(walked[i].MinDepth, listed[i].MinDepth);
        EXPECT_EQ(walked[i].MaxDepth, listed[i].MaxDepth);
      }
      withHits += walked.empty() ? 0 : 1;
    }
  }
  EXPECT_GT(withHits, 20);
}

TEST(BoxMayCoverRegion, MissesOnlyWhatCertainlyMisses) {
  CViewState view;
  view.Distance = 20;
  const CCameraMatrices camera = CameraMatrices(view, {0, 0, 100, 100}, {{0, 0, 0}, 5, 1});
  const auto box = [](CPoint3 lo, CPoint3 hi) {
    CBoundBox b;
    b.AddPoint(lo);
    b.AddPoint(hi);
    return b;
  };
  // The centre of the view is window (50, 50).
  EXPECT_FALSE(BoxMayCoverRegion(box({-1, -1, -1}, {1, 1, 1}), camera, 90, 90, 95, 95));
  EXPECT_TRUE(BoxMayCoverRegion(box({-1, -1, 10}, {1, 1, 30}), camera, 90, 90, 95, 95))
      << "reaches behind the eye";
  EXPECT_FALSE(BoxMayCoverRegion(CBoundBox(), camera, 0, 0, 100, 100));
}

TEST(SelectionBuffer, DecodesSkipsAndSorts) {
  CModelNode a, b;
  const NameResolver resolve = [&](std::uint32_t name) -> CModelNode* {
    return name == 1 ? &a : name == 2 ? &b : nullptr;
  };
  const std::uint32_t max = 0xFFFFFFFFu;
  const std::vector<std::uint32_t> buffer = {
      2, max / 2, max,     1,  2,  // b at 0.5 … 1 (innermost name 2)
      1, 0,       max / 4, 1,      // a at 0 … 0.25
      0, 5,       6,               // no names: skipped
      1, 7,       8,       99,     // unknown name: skipped
      3, 9,       9,       1,      // runs past the end: the walk stops
  };
  const CHitList hits = DecodeSelectionBuffer(buffer, 5, resolve);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].Node, &a);
  EXPECT_EQ(hits[0].MinDepth, 0.0);
  EXPECT_NEAR(hits[0].MaxDepth, 0.25, 1e-9);
  EXPECT_EQ(hits[1].Node, &b);
  EXPECT_EQ(hits[1].MaxDepth, 1.0);
  EXPECT_TRUE(DecodeSelectionBuffer(buffer, -1, resolve).empty()) << "overflow";
}

}  // namespace
}  // namespace kelto::test
