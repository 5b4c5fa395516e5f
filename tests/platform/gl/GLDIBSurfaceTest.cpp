#include "platform/gl/GLDIBSurface.h"

#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glx.h>

#include <cstring>

#include "platform/dc/DeviceContext.h"
#include "platform/gl/BitmapFont.h"
#include "platform/gl/FixedFont.h"

namespace kelto::gl {
namespace {

using Bgr = std::array<int, 3>;

// The pixel at column x of row y counted from the bottom, as in the buffer.
Bgr PixelAt(CGLDIBSurface& s, int x, int y) {
  const std::uint8_t* p = s.Bits() + std::size_t(y) * std::size_t(s.Stride()) + std::size_t(x) * 4;
  return {p[0], p[1], p[2]};
}

void Clear(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Pixel coordinates with the origin at the bottom left.
void PixelProjection(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

TEST(GLDIBSurface, GlyphsMatchTheFontTableAndAdvanceEvenWhenBlank) {
  CGLDIBSurface s(32, 16);
  ASSERT_TRUE(s.MakeCurrent()) << s.Error();
  PixelProjection(32, 16);
  Clear(0, 0, 0);
  glColor3f(1, 1, 1);
  // A list base left behind by someone else must not shift the glyphs.
  glListBase(1000);
  const int x0 = 3, baseline = 4;
  glRasterPos2i(x0, baseline);
  s.DrawText(" A");  // the space must still advance by one cell
  GLfloat raster[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
  EXPECT_EQ(raster[0], float(x0 + 2 * kFixedFontWidth));
  const FixedGlyph& a = kFixedFont8x13.Glyphs['A'];
  const int left = x0 + kFixedFontWidth, bottom = baseline - kFixedFont8x13.Descent;
  for (int r = 0; r < kFixedFontHeight; ++r)
    for (int c = 0; c < kFixedFontWidth; ++c) {
      const bool ink = (a.Rows[r] >> (7 - c)) & 1;
      EXPECT_EQ(PixelAt(s, left + c, bottom + r), ink ? (Bgr{255, 255, 255}) : (Bgr{0, 0, 0}))
          << "glyph row " << r << " column " << c;
    }
  // The renderer's lists come after the font's.
  EXPECT_GT(glGenLists(1), GLuint(kLastGlyphList));
}

TEST(GLDIBSurface, SetSizeKeepsThePictureOnlyWhenTheSizeIsUnchanged) {
  CGLDIBSurface s(8, 6);
  ASSERT_TRUE(s.MakeCurrent()) << s.Error();
  GLint depth_bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
  EXPECT_EQ(depth_bits, 24);
  Clear(1, 0, 0);
  const std::uint8_t* before = s.Bits();
  s.SetSize(8, 6);
  EXPECT_EQ(s.Bits(), before) << "same buffer";
  EXPECT_EQ(PixelAt(s, 7, 5), (Bgr{0, 0, 255}));

  s.SetSize(12, 3);
  EXPECT_EQ(PixelAt(s, 11, 2), (Bgr{0, 0, 0})) << "a new buffer starts black";
  ASSERT_TRUE(s.MakeCurrent());
  glViewport(0, 0, 12, 3);
  Clear(0, 1, 0);
  EXPECT_EQ(PixelAt(s, 11, 2), (Bgr{0, 255, 0}));

  s.SetSize(0, -5);  // a minimised view
  EXPECT_EQ(s.Height(), 1);
  EXPECT_TRUE(s.MakeCurrent());
}

TEST(GLDIBSurface, MakeCurrentSwitchesBetweenSurfaces) {
  auto a = std::make_unique<CGLDIBSurface>(4, 4);
  auto b = std::make_unique<CGLDIBSurface>(4, 4);
  ASSERT_TRUE(a->Initialised() && b->Initialised());
  ASSERT_TRUE(a->MakeCurrent());
  Clear(1, 0, 0);
  ASSERT_TRUE(b->MakeCurrent());
  Clear(0, 0, 1);
  EXPECT_EQ(PixelAt(*a, 0, 0), (Bgr{0, 0, 255}));
  EXPECT_EQ(PixelAt(*b, 0, 0), (Bgr{255, 0, 0}));
  // Reading a back did not take the context away from b.
  Clear(0, 1, 0);
  EXPECT_EQ(PixelAt(*b, 0, 0), (Bgr{0, 255, 0}));

  // Destroying a surface that is not current leaves the current one alone.
  ASSERT_TRUE(a->MakeCurrent());
  b.reset();
  EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
  Clear(1, 1, 1);
  EXPECT_EQ(PixelAt(*a, 3, 3), (Bgr{255, 255, 255}));
  // Destroying the current surface leaves nothing current.
  ASSERT_TRUE(a->MakeCurrent());
  a.reset();
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
  EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST(GlyphCodes, MapTextToGlyphListNames) {
  struct Case {
    const char* what;
    std::string text;
    std::string codes;
  };
  const std::vector<Case> cases = {
      {"UTF-8 Latin-1 letter", "\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},
      {"Latin-1 bytes that are not UTF-8", "caf\xE9", "caf\xE9"},
      {"overlong form taken as Latin-1", "\xC0\xAF", "\xC0\xAF"},
      {"beyond Latin-1", "\xE2\x82\xAC 5", "? 5"},
      {"y with diaeresis has no list (255)", "\xC3\xBF", "?"},
      {"NUL has no list", std::string("a\0b", 3), "a?b"},
  };
  for (const Case& c : cases) EXPECT_EQ(GlyphCodes(c.text), c.codes) << c.what;
}

TEST(FixedFont, EveryListedCodeHasAGlyph) {
  // Every code a list is made for has a glyph in the font; a space is blank.
  for (std::uint8_t row : kFixedFont8x13.Glyphs[' '].Rows) EXPECT_EQ(row, 0);
  for (int c = ' '; c <= '~'; ++c) EXPECT_TRUE(kFixedFont8x13.Glyphs[c].Present) << c;
  for (int c = 0xA0; c <= 0xFE; ++c) EXPECT_TRUE(kFixedFont8x13.Glyphs[c].Present) << c;
}

}  // namespace
}  // namespace kelto::gl
