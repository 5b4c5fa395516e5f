// The glyph display lists of the GL surfaces: list n draws character code n
// (1..254) of the fixed 8x13 font with glBitmap at the current raster
// position and advances it by 8 pixels, so a string of codes is drawn by one
// glCallLists. Lists 0 and 255 are not glyphs: 0 is no list name, and 255 is
// the first name the renderer's glGenLists may hand out after the font.
#pragma once

#include <string>
#include <string_view>

namespace kelto::gl {

inline constexpr unsigned kFirstGlyphList = 1;
inline constexpr unsigned kLastGlyphList = 254;

// Compiles lists 1..254 in the current context. Returns false (and leaves
// no partial font behind) when there is no current context or GL reports an
// error.
bool CreateGlyphLists();
// Deletes lists 1..254 in the current context.
void DeleteGlyphLists();

// The list names for a text: UTF-8 is decoded and each character in
// U+0001..U+00FE becomes its code; any other character becomes '?'. Bytes that
// are not valid UTF-8 are taken as ISO 8859-1 codes, so Latin-1 text draws as
// written too.
std::string GlyphCodes(std::string_view text);

// Draws codes (from GlyphCodes) with the glyph lists at the current raster
// position, independent of the context's list base.
void CallGlyphLists(const std::string& codes);

}  // namespace kelto::gl
