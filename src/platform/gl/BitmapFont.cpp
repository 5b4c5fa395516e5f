#include "platform/gl/BitmapFont.h"

#include <GL/gl.h>

#include <cstdint>

#include "platform/gl/FixedFont.h"

namespace kelto::gl {

bool CreateGlyphLists() {
  while (glGetError() != GL_NO_ERROR) {
  }
  // glBitmap copies the bitmap when the list is compiled, reading it through
  // the pixel-store state of that moment; pin the state the table is made
  // for and give the caller's back afterwards.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  for (unsigned code = kFirstGlyphList; code <= kLastGlyphList; ++code) {
    // Every glyph, blank ones included, is a full 8x13 cell with a real
    // bitmap: Mesa 22 drops glBitmap calls with a null bitmap from display
    // lists, which would lose the advance of a space.
    const FixedGlyph& glyph = kFixedFont8x13.Glyphs[code];
    glNewList(code, GL_COMPILE);
    glBitmap(kFixedFontWidth, kFixedFontHeight, 0.0f, float(kFixedFont8x13.Descent),
             float(kFixedFontWidth), 0.0f, glyph.Rows);
    glEndList();
  }
  glPopClientAttrib();
  if (glGetError() != GL_NO_ERROR) {
    glDeleteLists(kFirstGlyphList, kLastGlyphList - kFirstGlyphList + 1);
    return false;
  }
  return glIsList(kLastGlyphList) == GL_TRUE;
}

void DeleteGlyphLists() { glDeleteLists(kFirstGlyphList, kLastGlyphList - kFirstGlyphList + 1); }

namespace {

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when the
// bytes there are not a valid, shortest-form sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& out) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t b0 = byte(i);
  std::size_t len;
  char32_t cp;
  if (b0 < 0x80) {
    out = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  out = cp;
  return len;
}

}  // namespace

std::string GlyphCodes(std::string_view text) {
  std::string codes;
  codes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    std::size_t len = DecodeUtf8(text, i, cp);
    if (len == 0) {
      cp = static_cast<std::uint8_t>(text[i]);
      len = 1;
    }
    codes.push_back(cp >= kFirstGlyphList && cp <= kLastGlyphList ? static_cast<char>(cp) : '?');
    i += len;
  }
  return codes;
}

void CallGlyphLists(const std::string& codes) {
  if (codes.empty()) return;
  // glCallLists adds the list base to every code; the renderer may have set
  // one for its own purposes.
  glPushAttrib(GL_LIST_BIT);
  glListBase(0);
  glCallLists(static_cast<GLsizei>(codes.size()), GL_UNSIGNED_BYTE, codes.data());
  glPopAttrib();
}

}  // namespace kelto::gl
