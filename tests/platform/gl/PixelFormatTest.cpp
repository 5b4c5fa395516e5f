#include "platform/gl/PixelFormat.h"

#include <gtest/gtest.h>

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

// The choice is the behaviour; the scores behind it are not pinned.
TEST(PixelFormat, ChoosesTheLowestIndexWithTheBestScore) {
  const auto with = [](PixelFormatDesc d, auto change) {
    change(d);
    return d;
  };
  const PixelFormatDesc good = WindowFormat(24);
  struct Case {
    const char* what;
    std::vector<PixelFormatDesc> formats;
    int device_bits;
    int index;
  };
  const std::vector<Case> cases = {
      // Colour index, no OpenGL, no window, single buffer: never chosen.
      {"only unusable kinds",
       {with(good, [](auto& d) { d.Rgba = false; }),
        with(good, [](auto& d) { d.SupportOpenGL = false; }),
        with(good, [](auto& d) { d.DrawToWindow = false; }),
        with(good, [](auto& d) { d.DoubleBuffer = false; })},
       24,
       0},
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
  // A bitmap wants a bitmap format, not a window one.
  PixelFormatDesc bitmap;
  bitmap.Rgba = bitmap.SupportOpenGL = bitmap.DrawToBitmap = true;
  bitmap.ColorBits = 24;
  bitmap.DepthBits = 16;
  const std::vector<PixelFormatDesc> both = {good, bitmap};
  EXPECT_EQ(ChoosePixelFormat(both, kBitmapRequest, 24), 2);
}

}  // namespace
}  // namespace kelto::gl
