// Cones as shared lists: the canonical shape and its placement, the cache's
// sharing and releasing, and the lighting of a stretched cone.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <string>

#include "GeometryAsserts.h"
#include "RendererFixture.h"
#include "render/ConeCanonical.h"
#include "render/Frames.h"

namespace kelto::test {
namespace {

CPoint3 Apply(const CGLMatrix& m, const CPoint3& p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// The placed canonical cone has the cone's ends, and its rim points lie
// where the quadric frame of the cone itself puts them (so the shared list
// draws the very vertices the cone drawn in place would).
TEST(ConeCanonical, PlacesTheUnitConeOnTheCone) {
  const CPrimitive::Cone cones[] = {
      {{1, 2, 3}, 0.4, {4, -2, 3.5}, 0.4, 7},
      {{0, 0, 5}, 1.0, {0, 0, -1}, 0.2, 0},                // along z: the other reference axis
      {{1e4, 2e4, 0}, 0.1, {1e4, 2e4 + 1e-3, 0}, 0.1, 0},  // short, far out
  };
  for (const CPrimitive::Cone& cone : cones) {
    SCOPED_TRACE(cone.Start.x + cone.Start.z);
    const CCanonicalCone c = CanonicaliseCone(cone);
    ASSERT_TRUE(c.IsCone);
    const double tol = 1e-9 * (1 + cone.Start.AsVector().Length());
    const std::array<double, 16> frame = QuadricFrame(cone.Start - cone.End, cone.End);
    const CVector3 x{frame[0], frame[1], frame[2]}, y{frame[4], frame[5], frame[6]};
    const CVector3 axis = cone.Start - cone.End;
    // The shared list lays the canonical cone out in its own quadric frame:
    // its ends and a rim point go where the cone's own frame puts them.
    const std::array<double, 16> canonicalFrame =
        QuadricFrame(c.Shape.Start - c.Shape.End, c.Shape.End);
    for (const CPoint3 local : {CPoint3(0, 0, 0), CPoint3(0.3, -0.2, 0.5), CPoint3(0, 0, 1)}) {
      const CPoint3 expected = cone.End + x * local.x + y * local.y + axis * local.z;
      EXPECT_VEC_NEAR(Apply(c.Matrix, Apply(canonicalFrame, local)), expected, tol);
    }
  }
}

TEST(ConeCanonical, KeysNameTheDiametersAndNothingElse) {
  const auto key = [](const CPrimitive::Cone& cone) { return CanonicaliseCone(cone).Key; };
  const CPrimitive::Cone a{{0, 0, 0}, 0.2, {1, 0, 0}, 0.2, 1};
  EXPECT_EQ(key(a), key({{5, 6, 7}, 0.2, {5, 9, 7}, 0.2, 2})) << "placement and colour";
  EXPECT_NE(key(a), key({{0, 0, 0}, 0.2, {1, 0, 0}, 0.2000001, 1})) << "end diameter";
  EXPECT_NE(key({{0, 0, 0}, 0.2, {1, 0, 0}, 0.3, 1}), key({{0, 0, 0}, 0.3, {1, 0, 0}, 0.2, 1}))
      << "which end is which";
  EXPECT_EQ(key({{0, 0, 0}, -0.0, {1, 0, 0}, 0.3, 1}), key({{0, 0, 0}, 0.0, {1, 0, 0}, 0.3, 1}));
}

TEST(ConeCanonical, ConesThatCannotBePlacedAreNotForTheCache) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const CPrimitive::Cone cones[] = {
      {{1, 1, 1}, 0.2, {1, 1, 1}, 0.2, 0},  // no axis
      {{nan, 0, 0}, 0.2, {inf, 0, 0}, 0.2, 0},
      {{0, 0, 0}, nan, {1, 0, 0}, 0.2, 0},
      {{-1e308, 0, 0}, 0.2, {1e308, 0, 0}, 0.2, 0},  // the length overflows
  };
  for (const CPrimitive::Cone& cone : cones) EXPECT_FALSE(CanonicaliseCone(cone).IsCone);
}

using ConeCache = RendererTest;

std::string ConeKeyOf(const CGLRenderer& r, const CModelNode* node) {
  return *r.GetNodeData(node)->ConeKeys().begin();
}

TEST_F(ConeCache, ConesOfOneSizeShareAListUntilTheLastIsGone) {
  CModelNode* a = tree_.Add(Cylinder({0, 0, 0}, {1, 0, 0}, 0.2));
  CModelNode* b = tree_.Add(Cylinder({0, 3, 0}, {0, 3, 5}, 0.2, 0x0000FF));
  CModelNode* c = tree_.Add(Cylinder({0, 6, 0}, {2, 6, 0}, 0.3));
  CGLRenderer& r = Start();
  EXPECT_EQ(r.GetConeCache().Size(), 2u);
  const std::string key = ConeKeyOf(r, a);
  EXPECT_EQ(ConeKeyOf(r, b), key);
  EXPECT_EQ(r.GetConeCache().RefCount(key), 2);
  const unsigned shared = r.GetConeCache().Find(key);
  ASSERT_TRUE(glIsList(shared));

  // New geometry of another size moves c's reference to the other list.
  c->GetGeometry() = Cylinder({0, 6, 0}, {2, 6, 0}, 0.2);
  c->GeometryChanged(true);
  EXPECT_EQ(r.GetConeCache().Size(), 1u);
  EXPECT_EQ(r.GetConeCache().RefCount(key), 3);

  // The cache's counting is the bend cache's (RendererCacheTest); here that
  // removed cone nodes give their references back.
  CModelNode::NodePtr keptA = tree_.Remove(a);
  CModelNode::NodePtr keptB = tree_.Remove(b);
  CModelNode::NodePtr keptC = tree_.Remove(c);
  EXPECT_EQ(r.GetConeCache().Size(), 0u);
  EXPECT_FALSE(glIsList(shared));
}

// Seen end-on, the caps of a long and a short pipe face the viewer alike
// and must be lit alike: the stretch along the axis must not scale the
// caps' normals. And the normalisation the lists turn on is off again after
// the frame.
TEST_F(ConeCache, StretchedConesAreLitLikeShortOnes) {
  tree_.Add(Cylinder({-2, 0, -8}, {-2, 0, 0}, 1.5));  // long: start far, end cap near
  tree_.Add(Cylinder({2, 0, -0.5}, {2, 0, 0}, 1.5));  // short
  CGLRenderer& r = Start();
  r.SetViewDir({0, 0, -1}, {0, 1, 0});
  Fit();
  RenderFrame();
  Save("cone-cache-caps");
  const Rgb longCap = PixelAt({-2, 0, 0}), shortCap = PixelAt({2, 0, 0});
  EXPECT_GT(shortCap.g, 60) << shortCap;
  EXPECT_NEAR(longCap.g, shortCap.g, 3) << longCap << " vs " << shortCap;
  EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
}

// Three edges make the roll visible: slice 0 lies on the quadric frame's +y,
// which for a pipe running east is straight down, so seen looking east the
// pipe is a triangle with its point at the bottom.
TEST_F(ConeCache, SlicesStartWhereTheConesOwnFrameSaysSeenEndOn) {
  tree_.Add(Cylinder({0, 0, 0}, {1000, 0, 0}, 400));
  CGLRenderer& r = Start();
  SetOption("AxesSize", 0L);
  SetOption("Edges", 3L);
  r.SetViewDir({1, 0, 0}, {0, 0, 1});
  Fit();
  RenderFrame();
  Save("cone-cache-triangle");
  EXPECT_NE(PixelAt({0, 0, -150}), Rgb{}) << "the point, below the axis";
  EXPECT_EQ(PixelAt({0, 0, 150}), Rgb{}) << "above the flat top edge";
}

}  // namespace
}  // namespace kelto::test
