#include "platform/gl/BitmapFont.h"

#include <gtest/gtest.h>

#include "platform/gl/FixedFont.h"

namespace kelto::gl {
namespace {

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
