// The control without a window, as a host with no X11 window embeds it:
// message records in, pictures out through a device context. Three pipes of
// a script-made model lie across the view (looking down, north up); the
// user's picks select them, the picture shows the selection in red, and the
// events come in the documented orders.

#include "ViewCtrlFixture.h"
#include "platform/dc/DCApi.h"

namespace kelto::test {
namespace {

using Events = std::vector<std::string>;
constexpr LONG kSize = 200;

kelto3d::WindowMessageRecord Record(kelto3d::WindowMessageKind kind, LONG x, LONG y, ULONG keys) {
  return {.Kind = kind, .Button = kelto3d::wmbLeft, .X = x, .Y = y, .Keys = keys};
}

class ViewCtrlWindowlessTest : public ViewCtrlTest {
 protected:
  void SetUp() override {
    ViewCtrlTest::SetUp();
    ASSERT_EQ(control->QueryInterface(kelto::com::IidOf<kelto3d::IPipeline3DViewWindowless>(),
                                      view.PutVoid()),
              S_OK);
    AddThreePipes();
    ASSERT_EQ(view->ActivateWindowless(kSize, kSize), S_OK);
    control->SetStandardViewDir(kelto3d::svdLookDown);
    control->FitView();
    hdc = KeltoCreateImageDC(kSize, kSize);
    ASSERT_NE(hdc, 0u);
    FindPipes();
  }
  void TearDown() override {
    KeltoDeleteDC(hdc);
    view = nullptr;
    ViewCtrlTest::TearDown();
  }

  // BGRA, top row first.
  std::vector<BYTE> Picture() {
    EXPECT_EQ(view->Draw(static_cast<LONG>(hdc), 0, 0, kSize, kSize), S_OK);
    std::vector<BYTE> pixels(kSize * kSize * 4);
    EXPECT_EQ(KeltoGetDCPixels(hdc, pixels.data(), static_cast<UINT>(pixels.size())), S_OK);
    return pixels;
  }
  static bool Red(const std::vector<BYTE>& p, int x, int y) {
    const BYTE* px = &p[(static_cast<std::size_t>(y) * kSize + x) * 4];
    return px[2] > 150 && px[1] < 90 && px[0] < 90;
  }
  static bool Drawn(const std::vector<BYTE>& p, int x, int y) {
    const BYTE* px = &p[(static_cast<std::size_t>(y) * kSize + x) * 4];
    return px[0] + px[1] + px[2] > 30;
  }
  // The rows of the three pipes down the middle column, north first.
  void FindPipes() {
    const auto p = Picture();
    rows.clear();
    for (int y = 0; y < kSize; ++y) {
      if (!Drawn(p, kSize / 2, y)) continue;
      int end = y;
      while (end + 1 < kSize && Drawn(p, kSize / 2, end + 1)) ++end;
      rows.push_back((y + end) / 2);
      y = end;
    }
    ASSERT_EQ(rows.size(), 3u) << "the three pipes should cross the middle column";
  }
  void Send(const kelto3d::WindowMessageRecord& r) { ASSERT_EQ(view->OnWindowMessage(&r), S_OK); }
  // A left double click (the second press, then its release) at a pipe's row.
  void DoubleClick(int y, ULONG modifiers = 0) {
    Send(Record(kelto3d::wmkButtonDown, kSize / 2, y, 1 | modifiers));
    Send(Record(kelto3d::wmkButtonUp, kSize / 2, y, modifiers));
    Send(Record(kelto3d::wmkButtonDoubleClick, kSize / 2, y, 1 | modifiers));
    Send(Record(kelto3d::wmkButtonUp, kSize / 2, y, modifiers));
  }

  ComPtr<kelto3d::IPipeline3DViewWindowless> view;
  UINT hdc = 0;
  std::vector<int> rows;  // north, middle, valve
};

// The picked pipe is shown red, and the host is told to paint.
TEST_F(ViewCtrlWindowlessTest, PickSelectFiresItsEventsInOrder) {
  Connect();
  const std::string north = "SelectionChanged(-,north)", unnorth = "SelectionChanged(north,-)";
  const struct {
    const char* name;
    int y;
    Events expected;
    std::vector<std::string> selected;
  } steps[] = {
      {"north", rows[0], {north}, {"north"}},
      {"north again", rows[0], {unnorth, north}, {"north"}},
      {"middle", rows[1], {unnorth, "SelectionChanged(-,middle)"}, {"middle"}},
      {"empty space", 3, {"SelectionChanged(middle,-)"}, {}},
      {"empty space again", 3, {}, {}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    DoubleClick(s.y);
    EXPECT_EQ(TakeEvents(), s.expected);
    EXPECT_EQ(SelectedNames(), s.selected);
    VARIANT_BOOL needsPaint = VARIANT_FALSE;
    view->GetNeedsPaint(&needsPaint);
    EXPECT_EQ(needsPaint, VARIANT_TRUE);
    const auto p = Picture();
    EXPECT_EQ(Red(p, kSize / 2, rows[0]), s.selected == std::vector<std::string>{"north"});
    EXPECT_EQ(Red(p, kSize / 2, rows[1]), s.selected == std::vector<std::string>{"middle"});
  }
}

// Objects made last first lie in memory in the reverse of their file order;
// a pick still unselects them, event by event, in file order.
TEST_F(ViewCtrlWindowlessTest, APickUnselectsInFileOrderWhereverTheObjectsLie) {
  Connect();
  for (const bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "made backwards" : "made forwards");
    const std::string tag = backwards ? "b" : "f";
    std::vector<ComPtr<IDispatch>> nodes(6);
    for (int k = 0; k < 6; ++k) {
      const int i = backwards ? 5 - k : k;
      nodes[i] = NewNode(tag + std::to_string(i));
    }
    const auto root = NewNode(tag);
    Events expected;
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(Call(root.Get(), u"AddChild", {_variant_t(nodes[i].Get())}).ok());
      expected.push_back("SelectionChanged(" + tag + std::to_string(i) + ",-)");
    }
    ASSERT_TRUE(Call(Script(), u"AddModel", {_variant_t(root.Get())}).ok());
    for (const int i : {3, 0, 5, 1, 4, 2}) control->Select(Object(tag + std::to_string(i)));
    TakeEvents();
    DoubleClick(3);
    EXPECT_EQ(TakeEvents(), expected);
  }
}

// A shift pick toggles off a node red through its selected parent; exports
// and option changes keep what is selected.
TEST_F(ViewCtrlWindowlessTest, ToggleUnselectsANodeHighlightedThroughItsParent) {
  Connect();
  control->Select(Object("north"));
  control->Select(Object("line"));  // by script: no event; the valve is red through its line
  EXPECT_TRUE(Red(Picture(), kSize / 2, rows[2]));
  EXPECT_EQ(TakeEvents(), Events{});
  DoubleClick(rows[2], 4 /* shift */);
  EXPECT_EQ(TakeEvents(), Events{"SelectionChanged(valve,-)"});
  ASSERT_EQ(control->DrawToDC(static_cast<LONG>(hdc), 0, 0, kSize, kSize, 0, 1.0, kSize, kSize,
                              VARIANT_TRUE),
            S_OK);
  std::vector<BYTE> exported(kSize * kSize * 4);
  ASSERT_EQ(KeltoGetDCPixels(hdc, exported.data(), static_cast<UINT>(exported.size())), S_OK);
  EXPECT_TRUE(Red(exported, kSize / 2, rows[0]));
  EXPECT_FALSE(Red(exported, kSize / 2, rows[1]));
  EXPECT_FALSE(Red(exported, kSize / 2, rows[2]));

  const ScriptResult options = Get(Script(), u"GraphicsOptions");
  ASSERT_TRUE(Put(ObjectOf(options), u"Item", {_variant_t("Edges"), _variant_t(24L)}).ok());
  const auto p = Picture();
  EXPECT_TRUE(Red(p, kSize / 2, rows[0]));
  EXPECT_FALSE(Red(p, kSize / 2, rows[2]));
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"north", "line"}));
  DoubleClick(rows[2], 4);
  EXPECT_EQ(TakeEvents(), Events{"SelectionChanged(-,valve)"});
  DoubleClick(3, 4);  // empty space: nothing
  EXPECT_EQ(TakeEvents(), Events{});
}

TEST_F(ViewCtrlWindowlessTest, DeactivationRefusesDrawingAndInputAndKeepsTheView) {
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(control->QueryInterface(kelto::com::IidOf<IOleInPlaceObject>(), inPlace.PutVoid()),
            S_OK);
  kelto3d::WindowMessageRecord wheel = Record(kelto3d::wmkMouseWheel, kSize / 2, rows[1], 0);
  wheel.WheelDelta = 120;
  Send(wheel);  // zoomed in: a view no fit gives
  const auto before = Picture();
  ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(view->Draw(static_cast<LONG>(hdc), 0, 0, kSize, kSize), OLE_E_NOT_INPLACEACTIVE);
  EXPECT_EQ(view->OnWindowMessage(&wheel), OLE_E_NOT_INPLACEACTIVE);
  ASSERT_EQ(view->ActivateWindowless(kSize, kSize), S_OK);
  EXPECT_EQ(Picture(), before);
}

}  // namespace
}  // namespace kelto::test
