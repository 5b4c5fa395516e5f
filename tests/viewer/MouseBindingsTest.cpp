// The preferences' mouse bindings: kept as text in the settings, written to
// and read from the control's live action tables.

#include "Automation.h"
#include "MouseBindings.h"
#include "ViewerFixture.h"

namespace viewer::test {
namespace {

TEST(MouseBindingsText, RoundTripsAndRefusesMalformedEntries) {
  for (const Binding& b : MouseBindings::Defaults()) {
    Binding back;
    ASSERT_TRUE(MouseBindings::FromText(MouseBindings::ToText(b), &back)) << MouseBindings::ToText(b).toStdString();
    EXPECT_EQ(back, b);
  }
  Binding b;
  for (const char* bad : {"", "drag", "drag:1", "drag:1=", "spin:1=1", "drag:x=1", "drag:1=5",
                          "wheel:0=2", "click:128=1", "click:1=0", "drag:1=1=1"})
    EXPECT_FALSE(MouseBindings::FromText(QString::fromLatin1(bad), &b)) << bad;
  EXPECT_EQ(MouseBindings::KeysText(kelto3d::mkLButton | kelto3d::mkShift | kelto3d::mkControl),
            QStringLiteral("Ctrl+Shift+Left"));
  EXPECT_EQ(MouseBindings::KeysText(0), QStringLiteral("(no keys)"));
}

// A new view binds the defaults; writing replaces every table or nothing.
TEST(MouseBindingsOnControl, WritingReplacesEveryTableOrNothing) {
  LoadModulesOrFail();
  ASSERT_FALSE(::testing::Test::HasFatalFailure());
  const ComPtr<IUnknown> control = viewer::Create("Oxbay3Support.Pipeline3DViewCtrl");
  ASSERT_TRUE(control);
  EXPECT_EQ(MouseBindings::Read(control.Get()), MouseBindings::Defaults());
  const QList<Binding> mine = {{Binding::Drag, kelto3d::mkRButton, kelto3d::daPan},
                               {Binding::Click, kelto3d::mkMButton, kelto3d::paCentre},
                               {Binding::Wheel, kelto3d::mkShift, kelto3d::waZoomInv}};
  QString error;
  ASSERT_TRUE(MouseBindings::Write(control.Get(), mine, &error)) << error.toStdString();
  EXPECT_EQ(MouseBindings::Read(control.Get()), mine);

  // The same keys twice in one table: the table refuses, all stay as they were.
  QList<Binding> twice = MouseBindings::Defaults();
  twice.append({Binding::Drag, kelto3d::mkLButton, kelto3d::daZoom});
  EXPECT_FALSE(MouseBindings::Write(control.Get(), twice, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Already exists."))) << error.toStdString();
  EXPECT_EQ(MouseBindings::Read(control.Get()), mine);
}

}  // namespace
}  // namespace viewer::test
