// CGLSurface: a rendering context paired with the drawable it draws into and,
// on request, the bitmap font for overlay text. The renderer only ever asks
// its surface to become current, to swap buffers and to draw a string at the
// current raster position; everything window-system specific stays behind
// these operations.
//
// Contract shared by the surfaces:
// - Construction never throws for platform failures. A surface whose format,
//   context or drawable could not be made has Initialised() false and an
//   explanation in Error(); MakeCurrent on it leaves no context current and
//   returns false, so drawing simply has no effect.
// - A new surface leaves its context current (the font is compiled then).
// - MakeCurrent: nothing when this context is already current; otherwise
//   make it current, and on failure leave no context current.
// - Glyph lists 1..254 are made before anyone else can allocate a list in the
//   context, so the renderer's own lists never collide with them.
// - Destruction (Destroy) remembers the current context, makes this one
//   current to delete the glyph lists, releases and deletes it, then makes
//   the remembered context current again unless it was this one.
#pragma once

#include <string>

#include "platform/gl/PixelFormat.h"

namespace kelto::gl {

class CGLSurface {
 public:
  CGLSurface(const CGLSurface&) = delete;
  CGLSurface& operator=(const CGLSurface&) = delete;
  virtual ~CGLSurface();

  // Returns whether this surface's context is current afterwards.
  virtual bool MakeCurrent() = 0;
  virtual void SwapBuffers() = 0;
  // Draws text with the glyph lists at the current raster position of the
  // current context (the caller made this surface current). Nothing when the
  // surface has no font. See GlyphCodes for how text maps to glyphs.
  virtual void DrawText(std::string text);

  bool Initialised() const { return initialised_; }
  bool HasFont() const { return has_font_; }
  const PixelFormatRequest& Request() const { return request_; }
  // 1-based index of the chosen format in the platform's (reordered) list of
  // configurations, 0 when none was acceptable.
  int PixelFormatIndex() const { return pixel_format_; }
  const std::string& Error() const { return error_; }

 protected:
  explicit CGLSurface(const PixelFormatRequest& request) : request_(request) {}

  // Called once the new context is current: compiles the font if requested.
  void CreateFont();
  // Deletes the glyph lists in the current context if there are any.
  void DeleteFont();

  bool initialised_ = false;
  PixelFormatRequest request_;
  bool has_font_ = false;
  int pixel_format_ = 0;
  std::string error_;
};

}  // namespace kelto::gl
