// The scripting tables over a display's live bindings: what a host changes
// through them is what the next mouse message finds.
#include "view/ComActionTables.h"

#include <gtest/gtest.h>

#include "DisplayFakes.h"
#include "core/WrapperFace.h"
#include "support/ScriptHost.h"

namespace kelto::test {
namespace {

using kelto::window::CWindowMessage;
using kelto::window::MouseButton;

TEST(ComActionTablesTest, ChangesActOnTheDisplaysLiveTables) {
  FakeWindow window;
  RecordingRenderer renderer;
  auto display = std::make_unique<C3DDisplay>();
  display->Attach(window, renderer);

  auto drag = WrapperFace<CComDragActionTable>(&display->DragActions());
  auto wheel = WrapperFace<CComWheelActionTable>(&display->WheelActions());
  // One face per table while it lives.
  EXPECT_EQ(WrapperFace<CComDragActionTable>(&display->DragActions()).Get(), drag.Get());
  IDispatch* d = static_cast<kelto3d::IDragActionTable*>(drag.Get());
  EXPECT_EQ(Get(d, u"Count").value.lVal, 7);  // the defaults

  // Left drag pans now; the wheel does nothing any more.
  ASSERT_TRUE(Put(d, u"Item", {_variant_t(1), _variant_t(kelto3d::daPan)}).ok());
  ASSERT_TRUE(Call(static_cast<kelto3d::IWheelActionTable*>(wheel.Get()), u"RemoveAll").ok());
  window.Dispatch(CWindowMessage::ButtonDown(MouseButton::Left, 10, 10, 1));
  window.Dispatch(CWindowMessage::Move(30, 10, 1));
  window.Dispatch(CWindowMessage::Wheel(120, 1050, 550, 0));
  EXPECT_EQ(renderer.Ops, (std::vector<std::string>{"SaveView", "BeginPan 10 90", "RestoreView",
                                                    "PanTo 30 90"}));

  // The display goes first: the table lives on, empty and of its own.
  display.reset();
  EXPECT_EQ(Get(d, u"Count").value.lVal, 0);
  EXPECT_EQ(Call(d, u"Add", {_variant_t(1), _variant_t(9)}).error, "Unknown drag action.");
}

}  // namespace
}  // namespace kelto::test
