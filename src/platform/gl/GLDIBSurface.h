// CGLDIBSurface: off-screen rendering into a pixel buffer that can be copied,
// stretched, into any device context. It is what drawing a view into an
// image, a PDF or an SVG goes through, and it needs no display.
//
// On Linux the context is EGL on Mesa's surfaceless platform (desktop GL,
// compatibility profile); it draws into a framebuffer object with an RGBA8
// colour and a 24-bit depth renderbuffer, and the frame is read back on demand.
//
// Contract (in addition to CGLSurface's):
// - The pixel buffer holds Height() rows of Width() pixels, 4 bytes each in
//   B, G, R, X order, rows bottom-up as in a device-independent bitmap (the
//   first row is the bottom of the picture). The fourth byte is whatever alpha
//   the drawing left; nothing reads it.
// - Bits() and Blit() first copy the current frame from GL into the buffer,
//   making the surface's context current for the copy and then putting back
//   whatever was current before.
// - Sizes below 1 are taken as 1 (a minimised view asks for 0x0).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

#include "platform/gl/GLSurface.h"

namespace kelto::gl {

class CGLDIBSurface : public CGLSurface {
 public:
  // reference: the device context the surface is meant to be compatible
  // with. The buffer here is always 32-bit BGRX whatever the reference, so it
  // is accepted for callers written against the three-argument form and not
  // otherwise used. font: compile the glyph lists (the bitmap request's font
  // flag).
  CGLDIBSurface(int width, int height, cairo_t* reference = nullptr, bool font = true);
  ~CGLDIBSurface() override;

  bool MakeCurrent() override;
  // Finishes the commands sent so far (a single-buffered surface has nothing
  // to swap).
  void SwapBuffers() override;

  // A new, cleared buffer when either side differs from the current size;
  // nothing at all (the picture stays) when both are the same.
  void SetSize(int width, int height);

  // Copies the picture into the rectangle (left, top, width, height) of dc's
  // user space, stretched to fit and replacing what was there. Exact integer
  // enlargements (and 1:1 copies) keep hard pixel edges; other scales are
  // filtered. A negative width or height mirrors the picture. Nothing for a
  // null dc or an empty rectangle.
  void Blit(cairo_t* dc, int left, int top, int width, int height);

  // The pixel buffer, brought up to date with the last drawing.
  const std::uint8_t* Bits();
  int Width() const;
  int Height() const;
  int Stride() const { return Width() * 4; }

 private:
  struct Impl;
  void Destroy();
  bool ReadBack();
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelto::gl
