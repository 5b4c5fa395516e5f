// The cones and discs are emitted in world coordinates. These tests hold
// them to the shapes GLU's quadrics draw under the quadric frame: the same
// primitives, vertices and (through lighting) normals, read back in feedback
// mode. One deliberate difference is checked on its own: a circle's outline
// has no stray zero-length strip at its centre that picking would find.
#include "render/QuadricDrawing.h"
#include "render/Sweep.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/gl/GLDIBSurface.h"
#include "render/Frames.h"

namespace {

using kelto::gl::CGLDIBSurface;

// One primitive read back from feedback: its token and its vertices as
// (x, y, z, r, g, b, a) each.
struct FedBack {
  GLfloat token = 0;
  std::vector<std::array<GLfloat, 7>> vertices;
};

class QuadricDrawing : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;

  void SetUp() override { ASSERT_TRUE(surface_.MakeCurrent()) << surface_.Error(); }

  // Orthographic over [−3, 3]³, lit by one directional light from `light`
  // with no ambient term, so a vertex's colour depends on its normal.
  void Begin(const CVector3& light) {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -3, 3, -3, 3);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    const GLfloat position[4] = {GLfloat(light.x), GLfloat(light.y), GLfloat(light.z), 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
  }

  // What `draw` emits, as feedback.
  std::vector<FedBack> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    EXPECT_GE(n, 0) << "feedback buffer overflowed";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    std::vector<FedBack> out;
    // Only polygons and lines are drawn here; where a strip of lines
    // restarts is no concern.
    for (GLint i = 0; i < n;) {
      FedBack p;
      p.token = buffer[i++];
      const bool polygon = p.token == GL_POLYGON_TOKEN;
      if (!polygon) p.token = GL_LINE_TOKEN;
      p.vertices.resize(polygon ? static_cast<std::size_t>(buffer[i++]) : 2);
      for (auto& v : p.vertices)
        for (GLfloat& f : v) f = buffer[i++];
      out.push_back(std::move(p));
    }
    return out;
  }

  CGLDIBSurface surface_{kSize, kSize, nullptr, false};
};

// The shapes as GLU draws them in the quadric frame.
class GluReference {
 public:
  GluReference() : q_(gluNewQuadric()) {}
  ~GluReference() { gluDeleteQuadric(q_); }
  GluReference(const GluReference&) = delete;
  GluReference& operator=(const GluReference&) = delete;

  void Cone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
            bool twoSided, bool caps, int edges, int stacks) {
    const CVector3 axis = start - end;
    const double length = axis.Length();
    Push(axis, end);
    gluQuadricNormals(q_, GLU_SMOOTH);
    gluQuadricOrientation(q_, GLU_OUTSIDE);
    gluCylinder(q_, endDiameter / 2, startDiameter / 2, length, edges, stacks);
    if (twoSided) {
      gluQuadricOrientation(q_, GLU_INSIDE);
      gluCylinder(q_, endDiameter / 2, startDiameter / 2, length, edges, stacks);
    }
    if (caps && endDiameter > 0) {
      gluQuadricOrientation(q_, GLU_INSIDE);
      gluDisk(q_, 0, endDiameter / 2, edges, 1);
    }
    if (caps && startDiameter > 0) {
      glTranslated(0, 0, length);
      gluQuadricOrientation(q_, GLU_OUTSIDE);
      gluDisk(q_, 0, startDiameter / 2, edges, 1);
    }
    glPopMatrix();
  }

  void Disc(const CPoint3& centre, double diameter, const CVector3& normal, bool solid, int edges) {
    Push(normal, centre);
    gluQuadricNormals(q_, GLU_FLAT);
    if (solid) {
      gluQuadricDrawStyle(q_, GLU_FILL);
      gluQuadricOrientation(q_, GLU_OUTSIDE);
      gluDisk(q_, 0, diameter / 2, edges, 1);
      gluQuadricOrientation(q_, GLU_INSIDE);
      gluDisk(q_, 0, diameter / 2, edges, 1);
    } else {
      // The rim alone: an annulus of zero width outlines just its one circle.
      gluQuadricDrawStyle(q_, GLU_SILHOUETTE);
      gluQuadricOrientation(q_, GLU_OUTSIDE);
      gluDisk(q_, diameter / 2, diameter / 2, edges, 1);
    }
    gluQuadricDrawStyle(q_, GLU_FILL);
    glPopMatrix();
  }

 private:
  static void Push(const CVector3& axis, const CPoint3& origin) {
    const std::array<double, 16> frame = QuadricFrame(axis, origin);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(frame.data());
  }
  GLUquadric* q_;
};

void ExpectSame(const std::vector<FedBack>& ours, const std::vector<FedBack>& glu) {
  ASSERT_EQ(ours.size(), glu.size());
  for (std::size_t p = 0; p < ours.size(); ++p) {
    SCOPED_TRACE("primitive " + std::to_string(p));
    ASSERT_EQ(ours[p].token, glu[p].token);
    ASSERT_EQ(ours[p].vertices.size(), glu[p].vertices.size());
    for (std::size_t v = 0; v < ours[p].vertices.size(); ++v) {
      for (int k = 0; k < 7; ++k) {
        // Window coordinates to a thousandth of a pixel, colours to 1/500.
        EXPECT_NEAR(ours[p].vertices[v][k], glu[p].vertices[v][k], k < 3 ? 1e-3 : 2e-3)
            << "vertex " << v << ", value " << k;
      }
    }
  }
}

TEST_F(QuadricDrawing, EmitsWhatTheGluQuadricsDrawInTheirFrame) {
  // A cone from `a` to `b`, or a disc at `a` when `disc` is set.
  struct Case {
    std::string name;
    bool disc;
    double d0, d1;
    bool twoSided, caps;  // for a disc: solid, unused
    int edges, stacks;
  };
  GluReference ref;
  const CPoint3 a{-1.2, 0.4, -0.3}, b{1.1, -0.2, 0.6};
  const CVector3 normal{0.3, -0.5, 0.8};
  const Case cases[] = {
      {"two-sided cylinder with caps", false, 1, 1, true, true, 16, 2},
      {"tapered cone with caps, one side", false, 1.4, 0.6, false, true, 12, 3},
      {"cone to a point: one cap", false, 0, 1, false, true, 8, 1},
      {"more edges than 239", false, 1, 1, false, false, 300, 1},
      {"one edge: nothing", false, 1, 1, true, true, 1, 2},
      {"no stacks: caps only", false, 1, 1, true, true, 16, 0},
      {"solid disc", true, 2, 0, true, false, 16, 0},
      {"circle outline", true, 2, 0, false, false, 10, 0},
  };
  for (const CVector3& light : {CVector3(0.3, 0.5, 1), CVector3(-1, 0.2, -0.4)}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Begin(light);
      const std::vector<FedBack> ours = Feedback([&] {
        if (c.disc)
          DrawDisc(a, c.d0, normal, c.twoSided, c.edges);
        else
          DrawCone(a, c.d0, b, c.d1, c.twoSided, c.caps, c.edges, c.stacks);
      });
      const std::vector<FedBack> glu = Feedback([&] {
        if (c.disc)
          ref.Disc(a, c.d0, normal, c.twoSided, c.edges);
        else
          ref.Cone(a, c.d0, b, c.d1, c.twoSided, c.caps, c.edges, c.stacks);
      });
      ExpectSame(ours, glu);
      EXPECT_EQ(ours.empty(), c.edges == 1);
      GLint depth = 0;
      glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
      EXPECT_EQ(depth, 1);
    }
  }
}

// A script can set CylStacks to any integer; the wall stops at the sweeps'
// cap instead of hanging the frame.
TEST_F(QuadricDrawing, StacksAreCappedLikeTheSweepSteps) {
  Begin({0, 0, 1});
  const auto polygons = [&](int stacks) {
    return Feedback([&] { DrawCone({-1, 0, 0}, 1, {1, 0, 0}, 1, false, false, 4, stacks); }).size();
  };
  const std::size_t capped = polygons(kMaxSweepSteps);
  EXPECT_GT(capped, polygons(kMaxSweepSteps / 2));
  EXPECT_EQ(polygons(1'000'000'000), capped);
}

// Picking a circle means picking its rim: the pick box in the middle of the
// ring finds nothing, on the rim it finds the circle.
TEST_F(QuadricDrawing, ACircleIsPickedOnItsRimOnly) {
  auto hits = [&](double x, double y) {
    Begin({0, 0, 1});
    GLuint buffer[64] = {};
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(7);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GLint viewport[4] = {0, 0, kSize, kSize};
    gluPickMatrix((x + 3) * kSize / 6, (y + 3) * kSize / 6, 3, 3, viewport);
    glOrtho(-3, 3, -3, 3, -3, 3);
    glMatrixMode(GL_MODELVIEW);
    DrawDisc({0, 0, 0}, 3, {0, 0, 1}, false, 16);
    return glRenderMode(GL_RENDER);
  };
  EXPECT_EQ(hits(0, 0), 0) << "centre";
  EXPECT_EQ(hits(0, 1.5), 1) << "rim";
  EXPECT_EQ(hits(0.7, 0.4), 0) << "between centre and rim";
}

}  // namespace
