// kelto3d render's bitmap resolution, axes scale and printable sheets, on the
// pump station example.
#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "CommandLine.h"
#include "support/TempDir.h"

namespace kelto::cli {
namespace {

const std::string kPumpStation = std::string(KELTO_SOURCE_DIR) + "/examples/pump-station.json";

class RenderSheet : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "render");
    out_.str({});
    err_.str({});
    return RunCommandLine(args, out_, err_);
  }
  std::string Path(const char* name) const { return (dir_.path() / name).string(); }

  kelto::test::TempDir dir_;
  std::ostringstream out_, err_;
};

// Pixels of a PNG as 0xRRGGBB, top row first.
std::vector<std::uint32_t> Pixels(const std::string& path, int& width) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  width = cairo_image_surface_get_width(s);
  const int h = cairo_image_surface_get_height(s), stride = cairo_image_surface_get_stride(s);
  std::vector<std::uint32_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < width; ++x)
      px.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                          y * stride)[x] & 0xFFFFFF);
  cairo_surface_destroy(s);
  return px;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(RenderSheet, AHigherResolutionIsTheSameFramingDrawnFiner) {
  const std::vector<std::string> common{kPumpStation, "--size", "200x150", "--option",
                                        "AxesSize=0"};
  auto plain = common, fine = common;
  plain.insert(plain.end(), {"-o", Path("plain.png")});
  fine.insert(fine.end(), {"-o", Path("fine.png"), "--resolution", "800x600"});
  ASSERT_EQ(Run(plain), 0) << err_.str();
  ASSERT_EQ(Run(fine), 0) << err_.str();
  int w1 = 0, w2 = 0;
  const auto a = Pixels(Path("plain.png"), w1), b = Pixels(Path("fine.png"), w2);
  ASSERT_EQ(w1, 200);
  ASSERT_EQ(w2, 200);
  ASSERT_EQ(a.size(), b.size());
  // The model sits in the same place: its light has the same centre.
  const auto centre = [&](const std::vector<std::uint32_t>& px, double& cx, double& cy) {
    double n = 0;
    cx = cy = 0;
    for (std::size_t i = 0; i < px.size(); ++i) {
      const double light = (px[i] >> 16) + (px[i] >> 8 & 0xFF) + (px[i] & 0xFF);
      cx += light * double(i % 200), cy += light * double(i / 200), n += light;
    }
    cx /= n;
    cy /= n;
    return n;
  };
  double ax, ay, bx, by;
  centre(a, ax, ay);
  centre(b, bx, by);
  EXPECT_NEAR(ax, bx, 1.0);
  EXPECT_NEAR(ay, by, 1.0);
  // Finer: the stretched-down bitmap blends edges, so it has many more shades.
  const auto shades = [](const std::vector<std::uint32_t>& px) {
    return std::set<std::uint32_t>(px.begin(), px.end()).size();
  };
  EXPECT_GT(shades(b), 2 * shades(a));
}

TEST_F(RenderSheet, AxesScaleIsTheAxesSizeTimesTheFactor) {
  ASSERT_EQ(Run({kPumpStation, "--size", "200x150", "--axes-scale", "2", "-o", Path("a.png")}), 0)
      << err_.str();
  ASSERT_EQ(Run({kPumpStation, "--size", "200x150", "--option", "AxesSize=100", "-o",
                 Path("b.png")}),
            0);
  int w = 0;
  EXPECT_EQ(Pixels(Path("a.png"), w), Pixels(Path("b.png"), w));
}

TEST_F(RenderSheet, ALineArtSheetIsVectorsAndASolidSheetAPicture) {
  ASSERT_EQ(Run({kPumpStation, "--representation", "symbolic", "--paper", "A3", "--landscape",
                 "-o", Path("lines.pdf")}),
            0)
      << err_.str();
  ASSERT_EQ(Run({kPumpStation, "--paper", "a4", "-o", Path("solid.svg")}), 0) << err_.str();
  const std::string lines = ReadFile(Path("lines.pdf")), solid = ReadFile(Path("solid.svg"));
  EXPECT_NE(lines.find("/MediaBox [ 0 0 1190.55"), std::string::npos);
  EXPECT_EQ(lines.find("/Image"), std::string::npos);
  EXPECT_NE(solid.find("width=\"595.27"), std::string::npos) << "A4";
  EXPECT_NE(solid.find("<image"), std::string::npos);
}

TEST_F(RenderSheet, ArgumentsThatDoNotFitAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases{
      {"--paper", "A3", "-o", "x.png"},
      {"--landscape", "-o", "x.pdf"},
      {"--paper", "B5", "-o", "x.pdf"},
      {"--axes-scale", "-1", "-o", "x.png"},
      {"--axes-scale", "two", "-o", "x.png"},
      {"--resolution", "0x5", "-o", "x.png"},
  };
  for (auto args : cases) {
    args.insert(args.begin(), kPumpStation);
    EXPECT_EQ(Run(args), 2) << args[1];
    EXPECT_NE(err_.str().find("kelto3d render: "), std::string::npos) << err_.str();
  }
}

}  // namespace
}  // namespace kelto::cli
