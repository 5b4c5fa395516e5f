// The options dialog as a person uses it: the real Qt dialog in Xvfb, typed
// into with xdotool while the test waits in the modal dialog.
#include "view/settings/OptionsDialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "options/ComOptions.h"
#include "render/GLRenderer.h"
#include "support/XvfbServer.h"

// Last: Xlib's macros clash with the headers above.
#include <X11/Xlib.h>

namespace {

// Runs a shell command and returns its standard output.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kelto::test::XvfbServer::BinaryPath().empty())
      GTEST_SKIP() << kelto::test::XvfbServer::kMissing;
    if (Shell("command -v xdotool").empty()) GTEST_SKIP() << "xdotool is not installed";
    xvfb_ = std::make_unique<kelto::test::XvfbServer>();
    setenv("DISPLAY", xvfb_->DisplayName().c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");
    options_ = CComOptions::ForRegistry(renderer_.GetOptions());
  }
  void TearDown() override { unsetenv("DISPLAY"); }

  // Drives the dialog with a script of xdotool commands ($W is the dialog's
  // window) while the dialog runs here.
  bool ShowDriven(const std::string& script, unsigned long owner = 0) {
    const std::string shot = std::getenv("KELTO_DIALOG_SHOT") ? std::getenv("KELTO_DIALOG_SHOT") : "";
    auto driver = std::async(std::launch::async, [script, shot] {
      const std::string find =
          "W=$(timeout 30 xdotool search --sync --name '^3D View$' | head -1); "
          "xdotool windowfocus --sync $W; sleep 0.3; ";
      const std::string look = shot.empty() ? "" : "import -window root '" + shot + "'; ";
      // Whatever happens, the dialog is closed in the end.
      return Shell("(" + find + look + script + ") 2>&1; sleep 0.5; "
                 "xdotool search --name '^3D View$' key --clearmodifiers Escape 2>/dev/null");
    });
    const bool ok = ShowOptionsDialog(static_cast<kelto3d::IOptions*>(options_.Get()), owner);
    log_ = driver.get();
    return ok;
  }
  int Option(const char* name) {
    _variant_t v = renderer_.GetOptions().Get(name);
    return v.vt == VT_BOOL ? v.boolVal : v.lVal;
  }

  std::unique_ptr<kelto::test::XvfbServer> xvfb_;
  CGLRenderer renderer_;  // options only
  kelto::com::ComPtr<CComOptions> options_;
  std::string log_;
};

struct Notices : sigslot::has_slots<> {
  std::vector<COptions::Names> got;
  void On(COptions::Names n) { got.push_back(n); }
};

TEST_F(OptionsDialog, CancelLeavesTheOptionsTypedValuesReachThemOnApplyAndOk) {
  EXPECT_FALSE(ShowDriven("xdotool type 32; xdotool key Escape")) << log_;
  EXPECT_EQ(Option("BendSteps"), 8);
  EXPECT_FALSE(renderer_.GetOptions().IsModified());
  Notices notices;
  renderer_.GetOptions().changedSignal.connect(&notices, &Notices::On);
  // The keyboard starts in Bend Steps and goes through the controls group by
  // group: Cylinder Stacks, Circle Edges, Snout Steps, Zoom Limits, Size, ...
  // Tabbing into a field selects its text, so typing replaces it.
  EXPECT_TRUE(ShowDriven(
      "xdotool key Tab Tab; xdotool type 1a2; "  // Circle Edges: the letter is refused
      "xdotool key Tab BackSpace; "               // Snout Steps emptied
      "xdotool key Tab space; "                   // Zoom Limits off
      "xdotool key alt+a; sleep 0.3; "            // Apply
      "xdotool key Tab; xdotool type 75; "        // Size
      "xdotool key Return"))                      // OK
      << log_;
  EXPECT_EQ(Option("Edges"), 12);
  EXPECT_EQ(Option("SnoutSteps"), 1) << "an empty field leaves the option";
  EXPECT_EQ(Option("ViewLimits"), VARIANT_FALSE);
  EXPECT_EQ(Option("AxesSize"), 75);
  EXPECT_EQ(Option("BendSteps"), 8);
  ASSERT_EQ(notices.got.size(), 2u) << "Apply, then OK: one notice each";
  EXPECT_EQ(notices.got[0].size(), 10u);
  EXPECT_EQ(notices.got[1].size(), 10u);
}

// Shown for a window (here a child inside a host's top-level window, as the
// view control's window is), the dialog is transient for the top-level one.
TEST_F(OptionsDialog, BelongsToTheTopLevelWindowOfItsOwner) {
  if (Shell("command -v xprop").empty()) GTEST_SKIP() << "xprop is not installed";
  Display* display = XOpenDisplay(xvfb_->DisplayName().c_str());
  ASSERT_NE(display, nullptr);
  const Window top = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0,
                                         0, 0);
  const Window child = XCreateSimpleWindow(display, top, 10, 10, 100, 100, 0, 0, 0);
  XMapWindow(display, child);
  XMapWindow(display, top);
  XSync(display, False);
  ShowDriven("xprop -id $W WM_TRANSIENT_FOR; xdotool key Escape", child);
  char expected[64];
  std::snprintf(expected, sizeof expected, "window id # 0x%lx", top);
  EXPECT_NE(log_.find(expected), std::string::npos) << log_;
  // A window that is gone leaves the dialog on its own (Qt makes it transient
  // for its own group leader then).
  XDestroyWindow(display, top);
  XSync(display, False);
  ShowDriven("xprop -id $W WM_TRANSIENT_FOR; xdotool key Escape", child);
  EXPECT_NE(log_.find("WM_TRANSIENT_FOR"), std::string::npos) << "shown: " << log_;
  EXPECT_EQ(log_.find(expected), std::string::npos) << log_;
  XCloseDisplay(display);
}

TEST_F(OptionsDialog, WithoutADisplayItFailsWithAClearMessage) {
  unsetenv("DISPLAY");
  try {
    ShowOptionsDialog(static_cast<kelto3d::IOptions*>(options_.Get()));
    ADD_FAILURE() << "no failure";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot show the options dialog: there is no display to show it on (DISPLAY is "
                 "not set).");
  }
  setenv("DISPLAY", ":0.999", 1);  // nobody listens there
  EXPECT_THROW(ShowOptionsDialog(static_cast<kelto3d::IOptions*>(options_.Get())),
               std::runtime_error);
}

}  // namespace
