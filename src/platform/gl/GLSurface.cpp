#include "platform/gl/GLSurface.h"

#include "platform/gl/BitmapFont.h"

namespace kelto::gl {

CGLSurface::~CGLSurface() = default;

void CGLSurface::DrawText(std::string text) {
  if (!has_font_) return;
  CallGlyphLists(GlyphCodes(text));
}

void CGLSurface::CreateFont() {
  has_font_ = request_.Font && CreateGlyphLists();
  if (request_.Font && !has_font_) error_ = "the glyph lists could not be created";
}

void CGLSurface::DeleteFont() {
  if (has_font_) DeleteGlyphLists();
  has_font_ = false;
}

}  // namespace kelto::gl
