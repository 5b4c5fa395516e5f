// Shared set-up of the renderer tests: a small model tree built by hand, an
// off-screen surface (no display needed) and pixel access in GL's window
// coordinates (origin bottom-left, like the surface's bottom-up rows).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FakeObjects.h"
#include "core/ModelNode.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"

namespace kelto::test {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "rgb(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A model tree whose nodes get distinct outside objects as keys.
class TestTree {
 public:
  TestTree() : m_root(new CModelNode()) {}

  CModelNode* Root() const { return m_root.get(); }
  // A new node under parent (the root when null) carrying the geometry.
  CModelNode* Add(const CGeometrySet& geometry, CModelNode* parent = nullptr) {
    m_objects.push_back(kelto::com::MakeObject<FakeObject>(static_cast<int>(m_objects.size())));
    CModelNode::NodePtr node(new CModelNode(m_objects.back()->GetUnknown()));
    node->GetGeometry() = geometry;
    node->GeometryChanged(false);  // brings its bound box up to date
    (parent ? parent : Root())->AddChild(node);
    return node.get();
  }
  CModelNode::NodePtr Remove(CModelNode* node) { return m_root->RemoveSubtree(node->GetKey()); }

 private:
  CModelNode::NodePtr m_root;
  std::vector<kelto::com::ComPtr<FakeObject>> m_objects;
};

inline CGeometrySet Cylinder(const CPoint3& start, const CPoint3& end, double diameter,
                             std::int32_t colour = 0x00FF00) {
  CGeometrySet g;
  g.AddCone(start, diameter, end, diameter, colour);
  return g;
}

inline CGeometrySet Bend(const CPoint3& start, const CPoint3& centre, const CPoint3& end,
                         double diameter, std::int32_t colour = 0x00FF00) {
  CGeometrySet g;
  g.AddCurvedCone(start, diameter, end, diameter, centre, colour);
  return g;
}

// Renderer over a tree on a square off-screen surface.
class RendererTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 200;

  void SetUp() override { ASSERT_TRUE(surface_.MakeCurrent()) << surface_.Error(); }

  // Creates the renderer now (after the tree has been filled in, or not).
  CGLRenderer& Start() {
    renderer_ = std::make_unique<CGLRenderer>(tree_.Root(), &surface_);
    renderer_->Resize(kSize, kSize);
    return *renderer_;
  }
  void Fit() { renderer_->FitView(tree_.Root()->GetBoundBox()); }
  void LookDownAndFit();
  // What a click on the model point's pixel hits.
  CHitList PickAt(const CPoint3& modelPoint) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(modelPoint);
    CHitList hits;
    renderer_->Pick({w.x, w.y}, hits);
    return hits;
  }

  // The node a click on the model point's pixel hits first (null: none).
  CModelNode* FirstHitAt(const CPoint3& modelPoint) {
    const CHitList hits = PickAt(modelPoint);
    return hits.empty() ? nullptr : hits.front().Node;
  }
  // side × side pipelines on a 3-unit grid, each a pipe, a quarter bend and
  // a pipe, seen whole from the north-top-left without the axes; returns
  // each pipeline's first pipe.
  std::vector<CModelNode*> BuildGrid(int side, double diameter);

  // Reading the frame back is slow (a glReadPixels each time), so pixels
  // come from a copy taken after each frame: RenderFrame, or Grab after a
  // frame rendered otherwise (SetOption grabs by itself).
  void RenderFrame() {
    renderer_->Render();
    Grab();
  }
  void Grab() {
    const std::uint8_t* bits = surface_.Bits();
    frame_.assign(bits, bits + surface_.Stride() * surface_.Height());
  }
  Rgb Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= kSize || y >= kSize) return {-1, -1, -1};
    const std::uint8_t* p = frame_.data() + y * surface_.Stride() + x * 4;
    return {p[2], p[1], p[0]};
  }
  Rgb PixelAt(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    return Pixel(static_cast<int>(w.x), static_cast<int>(w.y));
  }
  // Non-black pixels inside [x0, x1) × [y0, y1).
  int CountLit(int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += Pixel(x, y) == Rgb{} ? 0 : 1;
    return n;
  }

  // Writes the picture as PNG into $KELTO_RENDER_IMAGES when that is set
  // (to look at it); does nothing otherwise.
  void Save(const std::string& name);

  // Options changes render a frame.
  void SetOption(const std::string& name, const _variant_t& value) {
    renderer_->GetOptions().Set(name, value);
    Grab();
  }

  kelto::gl::CGLDIBSurface surface_{kSize, kSize};
  TestTree tree_;
  std::unique_ptr<CGLRenderer> renderer_;
  std::vector<std::uint8_t> frame_ = std::vector<std::uint8_t>(kSize * kSize * 4);
};

}  // namespace kelto::test
