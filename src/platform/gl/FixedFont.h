// The one bitmap font of the GL surfaces: Misc-Fixed 8x13 (ISO 8859-1), a
// public-domain X11 font, compiled in as a table that the build generates
// from the font file of Debian's xfonts-base (see make_fixed_font.py).
#pragma once

#include <cstdint>

namespace kelto::gl {

inline constexpr int kFixedFontWidth = 8;
inline constexpr int kFixedFontHeight = 13;

struct FixedGlyph {
  bool Present;  // false: the font has no glyph for this code; Rows hold its default glyph
  // One byte per row, bottom row first, most significant bit = leftmost
  // pixel: the layout glBitmap reads with an unpack alignment of 1.
  std::uint8_t Rows[kFixedFontHeight];
};

struct FixedFont {
  int Descent;  // rows below the baseline; the glyph origin is this far up the cell
  FixedGlyph Glyphs[256];
};

extern const FixedFont kFixedFont8x13;

}  // namespace kelto::gl
