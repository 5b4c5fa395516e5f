// A selection pass whose records outgrow the first selection buffer: GL
// reports the overflow as -1 records, which once read as "nothing here" and
// so made the depth of a plant seen whole fall back to the view's centre.
#include <GL/gl.h>

#include <vector>

#include "RendererFixture.h"
#include "render/Picking.h"

namespace kelto::test {
namespace {

TEST_F(RendererTest, ASelectionPassKeepsEveryRecordWhenTheyOutgrowTheFirstBuffer) {
  constexpr std::uint32_t kCount = 1000;  // four words a record: twice the first buffer
  static_assert(kCount * 4 > kSelectionBufferSize);
  std::vector<CModelNode> nodes(kCount);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const CHitList hits = SelectionPass(
      [] {
        for (std::uint32_t i = 0; i < kCount; ++i) {
          glPushName(i);
          glBegin(GL_POINTS);
          glVertex3d(-0.9 + 1.8 * i / kCount, 0.0, 0.0);
          glEnd();
          glPopName();
        }
      },
      [&](std::uint32_t name) { return name < kCount ? &nodes[name] : nullptr; });
  EXPECT_EQ(hits.size(), kCount);
}

}  // namespace
}  // namespace kelto::test
