// C3DDisplay driving a real renderer (off-screen, no display): every drag
// step starts again from the view saved at its beginning, so a drag taken
// back to where it began gives back that view exactly.
#include <gtest/gtest.h>

#include "DisplayFakes.h"
#include "render/RendererFixture.h"
#include "view/Display.h"

namespace kelto::test {
namespace {

using kelto::window::CWindowMessage;
using kelto::window::MouseButton;
using namespace kelto::window;

TEST(DisplayRendererTest, ADragTakenBackToItsStartRestoresTheViewExactly) {
  kelto::gl::CGLDIBSurface surface(200, 100);
  ASSERT_TRUE(surface.MakeCurrent()) << surface.Error();
  TestTree tree;
  tree.Add(Cylinder({0, 0, 0}, {10, 0, 0}, 1));
  tree.Add(Bend({10, 0, 0}, {10, 5, 0}, {15, 5, 0}, 1));
  CGLRenderer renderer(tree.Root(), &surface);
  renderer.Resize(200, 100);
  renderer.FitView(tree.Root()->GetBoundBox());

  FakeWindow window;
  C3DDisplay display;
  display.Attach(window, renderer);
  SignalLog log(display);

  for (unsigned keys : {unsigned{kMkLButton}, kMkLButton | kMkControl, kMkLButton | kMkShift}) {
    SCOPED_TRACE(keys);
    const CViewState before = renderer.GetView();
    window.Dispatch(CWindowMessage::ButtonDown(MouseButton::Left, 60, 40, keys));
    window.Dispatch(CWindowMessage::Move(90, 20, keys));
    EXPECT_NE(renderer.GetView(), before);
    window.Dispatch(CWindowMessage::Move(170, 95, keys));
    window.Dispatch(CWindowMessage::Move(60, 40, keys));
    window.Dispatch(CWindowMessage::ButtonUp(MouseButton::Left, 60, 40, 0));
    const CViewState after = renderer.GetView();
    EXPECT_EQ(after.Distance, before.Distance);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after.Rotation[i], before.Rotation[i]) << i;
    EXPECT_EQ(after, before);
  }
  EXPECT_GT(log.ViewChanges, 0);
}

}  // namespace
}  // namespace kelto::test
