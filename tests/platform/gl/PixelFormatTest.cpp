#include "platform/gl/PixelFormat.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelto::gl {
namespace {

// A double-buffered, window-capable, OpenGL RGBA format with depth.
PixelFormatDesc WindowFormat(int colour, int depth = 24) {
  PixelFormatDesc d;
  d.Rgba = true;
  d.ColorBits = colour;
  d.DepthBits = depth;
  d.SupportOpenGL = d.DrawToWindow = d.DoubleBuffer = true;
  return d;
}

TEST(PixelFormat, ScoresFollowThePreferenceRules) {
  struct Case {
    const char* what;
    PixelFormatDesc format;
    PixelFormatRequest request;
    int score;
  };
  const auto with = [](PixelFormatDesc d, auto change) {
    change(d);
    return d;
  };
  PixelFormatDesc bitmap;
  bitmap.Rgba = bitmap.SupportOpenGL = bitmap.DrawToBitmap = true;
  bitmap.ColorBits = 24;
  bitmap.DepthBits = 16;
  const std::vector<Case> cases = {
      {"equal colour bits", WindowFormat(24), kWindowRequest, 100},
      {"more colour bits", WindowFormat(32), kWindowRequest, 90},
      {"fewer colour bits", WindowFormat(16), kWindowRequest, 50},
      {"colour index", with(WindowFormat(24), [](auto& d) { d.Rgba = false; }), kWindowRequest, 0},
      {"no depth buffer", WindowFormat(24, 0), kWindowRequest, 0},
      {"no OpenGL", with(WindowFormat(24), [](auto& d) { d.SupportOpenGL = false; }),
       kWindowRequest, 0},
      {"window wanted, none", with(WindowFormat(24), [](auto& d) { d.DrawToWindow = false; }),
       kWindowRequest, 0},
      {"double buffer wanted, single",
       with(WindowFormat(24), [](auto& d) { d.DoubleBuffer = false; }), kWindowRequest, 0},
      {"bitmap format for the bitmap request", bitmap, kBitmapRequest, 100},
      {"window format for the bitmap request", WindowFormat(24), kBitmapRequest, 0},
      {"generic wanted, accelerated", WindowFormat(24), PixelFormatRequest{1, 0, 1, 1, 0}, 0},
      {"generic present, not wanted",
       with(WindowFormat(24), [](auto& d) { d.GenericFormat = true; }), kWindowRequest, 100},
      {"extra abilities do not matter",
       with(WindowFormat(24), [](auto& d) { d.DrawToBitmap = true; }), kWindowRequest, 100},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScorePixelFormat(c.format, c.request, 24), c.score) << c.what;
}

TEST(PixelFormat, ChoosesTheLowestIndexWithTheBestScore) {
  struct Case {
    const char* what;
    std::vector<PixelFormatDesc> formats;
    int device_bits;
    int index;
  };
  const std::vector<Case> cases = {
      {"nothing to choose from", {}, 24, 0},
      {"nothing acceptable", {WindowFormat(24, 0), WindowFormat(32, 0)}, 24, 0},
      {"fewer beats nothing", {WindowFormat(24, 0), WindowFormat(16)}, 24, 2},
      {"more beats fewer; first of equals",
       {WindowFormat(16), WindowFormat(32), WindowFormat(32)},
       24,
       2},
      {"first exact match wins", {WindowFormat(32), WindowFormat(24), WindowFormat(24, 32)}, 24, 2},
      // On a 32-bit display: the first double-buffered OpenGL RGBA format
      // with depth and 32 colour bits, past ones lacking any of these.
      {"32-bit display",
       {[] {
          auto d = WindowFormat(32);
          d.DoubleBuffer = false;
          return d;
        }(),
        WindowFormat(24), WindowFormat(32, 0), WindowFormat(32, 16), WindowFormat(32, 24)},
       32,
       4},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChoosePixelFormat(c.formats, kWindowRequest, c.device_bits), c.index) << c.what;
}

TEST(PixelFormat, ShallowDepthBuffersAreOfferedLast) {
  const std::vector<PixelFormatDesc> formats = {WindowFormat(24, 16), WindowFormat(24, 24),
                                                WindowFormat(24, 0), WindowFormat(24, 32),
                                                WindowFormat(32, 16)};
  EXPECT_EQ(DeepDepthFirst(formats), (std::vector<std::size_t>{1, 3, 0, 2, 4}));

  // Mesa's order (16-bit depth first) then still ends on 24 bits.
  std::vector<PixelFormatDesc> ordered;
  for (std::size_t i : DeepDepthFirst(formats)) ordered.push_back(formats[i]);
  const int chosen = ChoosePixelFormat(ordered, kWindowRequest, 24);
  ASSERT_GT(chosen, 0);
  EXPECT_EQ(ordered[std::size_t(chosen - 1)].DepthBits, 24);
}

}  // namespace
}  // namespace kelto::gl
