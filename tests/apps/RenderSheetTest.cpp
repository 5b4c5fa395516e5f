// kelto3d render's bitmap resolution, axes scale and printable sheets, on the
// pump station example.
#include <gtest/gtest.h>

#include <set>

#include "ToolTestSupport.h"
#include "support/TempDir.h"

namespace kelto::cli {
namespace {

using test::Png;

const std::string kPumpStation = std::string(KELTO_SOURCE_DIR) + "/examples/pump-station.json";

class RenderSheet : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"render", kPumpStation});
    const test::Result r = test::RunTool(args);
    err_ = r.err;
    return r.code;
  }
  std::string Path(const char* name) const { return (dir_.path() / name).string(); }

  kelto::test::TempDir dir_;
  std::string err_;
};

// The picture's light-weighted centre.
std::pair<double, double> Centre(const Png& png) {
  double cx = 0, cy = 0, n = 0;
  for (std::size_t i = 0; i < png.px.size(); ++i) {
    const std::uint32_t p = png.px[i];
    const double light = (p >> 16) + (p >> 8 & 0xFF) + (p & 0xFF);
    cx += light * double(i % png.width), cy += light * double(i / png.width), n += light;
  }
  return {cx / n, cy / n};
}

TEST_F(RenderSheet, AHigherResolutionIsTheSameFramingDrawnFiner) {
  ASSERT_EQ(Run({"--size", "200x150", "--option", "AxesSize=0", "-o", Path("plain.png")}), 0)
      << err_;
  ASSERT_EQ(Run({"--size", "200x150", "--option", "AxesSize=0", "-o", Path("fine.png"),
                 "--resolution", "800x600"}),
            0)
      << err_;
  const Png plain(Path("plain.png")), fine(Path("fine.png"));
  ASSERT_EQ(fine.width, 200);
  ASSERT_EQ(fine.px.size(), plain.px.size());
  const auto [ax, ay] = Centre(plain);
  const auto [bx, by] = Centre(fine);
  EXPECT_NEAR(ax, bx, 1.0);
  EXPECT_NEAR(ay, by, 1.0);
  // Finer: the stretched-down bitmap blends edges, so it has many more shades.
  const auto shades = [](const Png& p) { return std::set(p.px.begin(), p.px.end()).size(); };
  EXPECT_GT(shades(fine), 2 * shades(plain));
}

TEST_F(RenderSheet, AxesScaleIsTheAxesSizeTimesTheFactor) {
  ASSERT_EQ(Run({"--size", "200x150", "--axes-scale", "2", "-o", Path("a.png")}), 0) << err_;
  ASSERT_EQ(Run({"--size", "200x150", "--option", "AxesSize=100", "-o", Path("b.png")}), 0);
  EXPECT_EQ(Png(Path("a.png")).px, Png(Path("b.png")).px);
}

TEST_F(RenderSheet, ALineArtSheetIsVectorsAndASolidSheetAPicture) {
  ASSERT_EQ(Run({"--representation", "symbolic", "--paper", "A3", "--landscape", "-o",
                 Path("lines.pdf")}),
            0)
      << err_;
  ASSERT_EQ(Run({"--paper", "a4", "-o", Path("solid.svg")}), 0) << err_;
  const std::string lines = test::ReadFile(Path("lines.pdf"));
  const std::string solid = test::ReadFile(Path("solid.svg"));
  EXPECT_NE(lines.find("/MediaBox [ 0 0 1190.55"), std::string::npos);
  EXPECT_EQ(lines.find("/Image"), std::string::npos);
  EXPECT_NE(solid.find("width=\"595.27"), std::string::npos) << "A4";
  EXPECT_NE(solid.find("<image"), std::string::npos);
}

}  // namespace
}  // namespace kelto::cli
