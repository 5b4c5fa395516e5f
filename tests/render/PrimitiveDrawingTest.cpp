// Off-screen pixel checks of the emitted geometry. The view is orthographic
// over [−2, 2]² looking down −z onto a 64×64 surface (16 pixels per unit),
// with depth test and back-face culling on as in the renderer.
#include "render/PrimitiveDrawing.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <string>

#include "core/Primitive.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/QuadricDrawing.h"

namespace {

using kelto::gl::CGLDIBSurface;

class PrimitiveDrawing : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;

  void SetUp() override { ASSERT_TRUE(surface_.MakeCurrent()) << surface_.Error(); }

  // near = 0 cuts a model at z = 0, so the far half is seen from inside.
  void Begin(bool lighting, double zNear = -10) {
    ASSERT_TRUE(surface_.MakeCurrent());
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, zNear, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (lighting) {
      // OpenGL's default light 0 shines down −z: a face towards the viewer
      // with an outward normal is bright, one with an inward normal is dark.
      glEnable(GL_LIGHTING);
      glEnable(GL_LIGHT0);
    } else {
      glDisable(GL_LIGHTING);
      glColor3f(1, 1, 1);
    }
  }

  // Brightest channel of the pixel under the model point (x, y).
  int At(double x, double y) {
    const int px = int((x + 2) * 16), py = int((y + 2) * 16);
    const std::uint8_t* p = surface_.Bits() + py * surface_.Stride() + px * 4;
    return std::max({p[0], p[1], p[2]});
  }

  CGLDIBSurface surface_{kSize, kSize, nullptr, false};
  CTessellationOptions options_;
};

// Each lit swept primitive shows bright where its outside faces the light
// (so its normals point outwards and match the winding) and nothing off its
// outline; cones and their caps are held to GLU's in QuadricDrawing.
TEST_F(PrimitiveDrawing, SolidsFaceOutwardsWhereTheyAreDrawn) {
  struct Case {
    std::string name;
    CPrimitive primitive;
    double onX, onY, offX, offY;
  };
  const Case cases[] = {
      // Quarter bend of radius 2 about (−1.5, 1): mid-arc on, arc centre and
      // corner off.
      {"bend", CPrimitive::CurvedCone{{-1.5, -1, 0}, 0.5, {0.5, 1, 0}, 0.5, {0.5, -1, 0}, 0},
       -0.086, -0.414, -1.5, 1},
      {"bend corner", CPrimitive::CurvedCone{{-1.5, -1, 0}, 0.5, {0.5, 1, 0}, 0.5, {0.5, -1, 0}, 0},
       0.5, 0.9, 0.5, -1},
      {"snout", CPrimitive::Snout{{-1.5, 0, 0}, 1, {1.5, 0.5, 0}, 1, {1, 0, 0}, 0}, 0, 0.25, 0, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Begin(true);
    DrawPrimitive(k.primitive, options_);
    EXPECT_GT(At(k.onX, k.onY), 150);
    EXPECT_EQ(At(k.offX, k.offY), 0);
  }
}

// Cut open by the near plane, the far half of a tube faces the viewer with
// its inside: visible only when drawn two-sided.
TEST_F(PrimitiveDrawing, TwoSidedSurfacesShowTheirInside) {
  for (bool twoSided : {false, true}) {
    SCOPED_TRACE(twoSided);
    Begin(false, 0);
    DrawSnout({-1.5, 0, 0}, 2, {-0.5, 0, 0}, 2, {1, 0, 0}, twoSided, false, options_);
    DrawCone({0.5, 0, 0}, 2, {1.5, 0, 0}, 2, twoSided, false, 16, 2);
    EXPECT_EQ(At(-1, 0) > 0, twoSided) << "snout";
    EXPECT_EQ(At(1, 0) > 0, twoSided) << "cone";
  }
}

// A disc or circle without a normal has no plane and is not drawn (those
// with one are held to GLU's shapes in QuadricDrawing); nothing leaves the
// matrix stack changed.
TEST_F(PrimitiveDrawing, DegenerateShapesDrawNothingAndLeaveTheMatrixStack) {
  Begin(false);
  DrawDisc({0, 0, 0}, 2, {0, 0, 0}, true, 16);
  DrawPrimitive(CPrimitive::Circle{{0, 0, 0}, 2, {0, 0, 0}, 0}, options_);
  for (double x : {0.0, 0.5, 0.99}) EXPECT_EQ(At(x, 0), 0) << x;
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  DrawPrimitive(CPrimitive::Line{{-1.5, 0.03, 0}, {1.5, 0.03, 0}, 0}, options_);
  DrawPrimitive(CPrimitive(), options_);
  for (const CPrimitive& p : {CPrimitive(CPrimitive::Cone{{0, 1, 0}, 1, {0, 1, 0}, 1, 0}),
                              CPrimitive(CPrimitive::Circle{{0, 1, 0}, 1, {0, 0, 1}, 0})})
    DrawPrimitive(p, options_);
  GLint after = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
  EXPECT_EQ(after, depth);
  EXPECT_GT(At(0, 0.03), 0) << "line";
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
