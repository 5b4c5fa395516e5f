// The cones and discs are emitted in world coordinates. These tests hold
// them to the shapes GLU's quadrics draw under the quadric frame: the same
// primitives, vertices and (through lighting) normals, read back in feedback
// mode. Two deliberate differences are checked on their own: the inside of
// a tapered cone is lit with the exact opposite of its outside normals, and
// a circle's outline has no stray zero-length strip at its centre that
// picking would find.
#include "render/QuadricDrawing.h"
#include "render/Sweep.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <tuple>
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
    auto vertex = [&](GLint& i) {
      std::array<GLfloat, 7> v{};
      for (GLfloat& f : v) f = buffer[i++];
      return v;
    };
    for (GLint i = 0; i < n;) {
      FedBack p;
      p.token = buffer[i++];
      int count = 0;
      if (p.token == GL_POLYGON_TOKEN) {
        count = static_cast<int>(buffer[i++]);
      } else if (p.token == GL_LINE_TOKEN || p.token == GL_LINE_RESET_TOKEN) {
        count = 2;
        p.token = GL_LINE_TOKEN;  // where a strip restarts is no concern here
      } else if (p.token == GL_POINT_TOKEN) {
        count = 1;
      } else {
        ++i;  // pass-through or bitmap token: one value
        continue;
      }
      for (int k = 0; k < count; ++k) p.vertices.push_back(vertex(i));
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
  // A cone from `a` to `b` (or along z), or a disc at `a` when `disc` is set.
  struct Case {
    std::string name;
    bool alongZ, disc;
    double d0, d1;
    bool twoSided, caps;  // for a disc: solid, unused
    int edges, stacks;
  };
  GluReference ref;
  const CPoint3 a{-1.2, 0.4, -0.3}, b{1.1, -0.2, 0.6};
  const CVector3 normal{0.3, -0.5, 0.8};
  const Case cases[] = {
      {"two-sided cylinder with caps", false, false, 1, 1, true, true, 16, 2},
      {"tapered cone with caps, one side", false, false, 1.4, 0.6, false, true, 12, 3},
      {"cone to a point: one cap", false, false, 0, 1, false, true, 8, 1},
      {"axis along z", true, false, 1, 1, true, true, 16, 2},
      {"more edges than 239", false, false, 1, 1, false, false, 300, 1},
      {"one edge: nothing", false, false, 1, 1, true, true, 1, 2},
      {"no stacks: caps only", false, false, 1, 1, true, true, 16, 0},
      {"solid disc", false, true, 2, 0, true, false, 16, 0},
      {"circle outline", false, true, 2, 0, false, false, 10, 0},
  };
  for (const CVector3& light : {CVector3(0.3, 0.5, 1), CVector3(-1, 0.2, -0.4)}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const CPoint3 s = c.alongZ ? CPoint3(0, 0, 1) : a, e = c.alongZ ? CPoint3(0, 0, -1) : b;
      Begin(light);
      const std::vector<FedBack> ours = Feedback([&] {
        if (c.disc)
          DrawDisc(a, c.d0, normal, c.twoSided, c.edges);
        else
          DrawCone(s, c.d0, e, c.d1, c.twoSided, c.caps, c.edges, c.stacks);
      });
      const std::vector<FedBack> glu = Feedback([&] {
        if (c.disc)
          ref.Disc(a, c.d0, normal, c.twoSided, c.edges);
        else
          ref.Cone(s, c.d0, e, c.d1, c.twoSided, c.caps, c.edges, c.stacks);
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

// Lit from the opposite side, every vertex of the inner wall must shine as
// the same vertex of the outer wall does: the normals are exact opposites.
TEST_F(QuadricDrawing, InnerWallOfATaperedConeHasTheOppositeNormals) {
  const CPoint3 start{-1.5, 0.2, 0.1}, end{1.2, -0.3, -0.2};
  const CVector3 light{0.4, 0.7, 0.6};
  auto colours = [&](const CVector3& from, bool innerHalf) {
    Begin(from);
    const std::vector<FedBack> fed =
        Feedback([&] { DrawCone(start, 2.0, end, 0.5, true, false, 16, 2); });
    std::map<std::tuple<int, int, int>, GLfloat> byPosition;
    const std::size_t half = fed.size() / 2;
    const std::size_t first = innerHalf ? half : 0, last = innerHalf ? fed.size() : half;
    for (std::size_t p = first; p < last; ++p) {
      for (const auto& v : fed[p].vertices) {
        const std::tuple<int, int, int> key{int(std::lround(v[0] * 100)),
                                            int(std::lround(v[1] * 100)),
                                            int(std::lround(v[2] * 1000))};
        byPosition[key] = v[3];  // red: lit by the normal alone
      }
    }
    return byPosition;
  };
  const auto outer = colours(light, false);
  const auto inner = colours(-light, true);
  ASSERT_FALSE(outer.empty());
  ASSERT_EQ(outer.size(), inner.size());
  int lit = 0;
  for (const auto& [position, red] : outer) {
    const auto it = inner.find(position);
    ASSERT_NE(it, inner.end());
    EXPECT_NEAR(it->second, red, 2e-3);
    if (red > 0.1f) ++lit;
  }
  EXPECT_GT(lit, 0) << "the comparison must not be of unlit vertices only";
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
