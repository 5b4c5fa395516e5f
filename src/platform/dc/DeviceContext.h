// CDeviceContext: what the rest of the system draws 2D output into. A device
// context here is a cairo context together with the surface it targets: an
// image in memory, a PNG, PDF or SVG file, or an X11 window. One drawing path
// (cairo calls, or CGLDIBSurface::Blit) serves every target.
//
// Contract:
// - Factories throw std::runtime_error when the target cannot be made (bad
//   size, unwritable file, window that does not exist); an object that exists
//   always has a usable cairo context.
// - Files are complete only after Finish(): PNG is written then, PDF and SVG
//   are flushed and closed then. Finish reports write failures; the destructor
//   finishes too but has nobody to tell.
// - Files appear whole or not at all: they are written to a temporary file
//   beside the target and renamed over it by Finish (CAtomicFile). A failed
//   write leaves the previous file as it was and no temporary behind, and its
//   message gives the system's reason ("cannot write x.png: No space left on
//   device"). The temporary is made by the factory, so an unwritable target
//   throws there.
// - Sizes are pixels for image, PNG and window targets and points (1/72 inch)
//   for PDF and SVG, which is cairo's user unit on those surfaces.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

struct _XDisplay;

namespace kelto::file {
class CAtomicFile;
}

namespace kelto::dc {

class CDeviceContext {
 public:
  enum class Kind { Image, Png, Pdf, Svg, Window };

  // An RGB image in memory (cairo RGB24: 32-bit native-endian xRGB, so BGRx
  // bytes on little-endian machines), initially black.
  static CDeviceContext CreateImage(int width, int height);
  // An image written as PNG by Finish().
  static CDeviceContext CreatePng(const std::string& path, int width, int height);
  static CDeviceContext CreatePdf(const std::string& path, double width, double height);
  static CDeviceContext CreateSvg(const std::string& path, double width, double height);
  // Draws into an existing window; its visual and size are read from the
  // server. The display connection stays the caller's and must outlive this.
  static CDeviceContext CreateForWindow(_XDisplay* display, unsigned long window);

  CDeviceContext(CDeviceContext&& other) noexcept;
  CDeviceContext& operator=(CDeviceContext&& other) noexcept;
  CDeviceContext(const CDeviceContext&) = delete;
  CDeviceContext& operator=(const CDeviceContext&) = delete;
  ~CDeviceContext();

  cairo_t* Cairo() const { return cr_; }
  cairo_surface_t* Surface() const { return surface_; }
  Kind GetKind() const { return kind_; }
  double Width() const { return width_; }
  double Height() const { return height_; }

  // Follows a window target to its new size (the window's owner calls this on
  // its size message). Ignored for other targets.
  void ResizeWindow(int width, int height);

  // Completes the target (see the contract above). Returns false with Error()
  // set when the file could not be written; calling it again does nothing.
  bool Finish();
  const std::string& Error() const { return error_; }
  // Gives the target up unfinished, for a drawing that failed half-way: a
  // file target leaves the previous file as it was and no temporary behind.
  // Finish afterwards reports the drawing as abandoned.
  void Abandon() noexcept;

 private:
  CDeviceContext(Kind kind, cairo_surface_t* surface, double width, double height,
                 std::string path, std::unique_ptr<kelto::file::CAtomicFile> file = nullptr);
  void Release() noexcept;

  Kind kind_ = Kind::Image;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  double width_ = 0;
  double height_ = 0;
  std::string path_;
  // The file being written (PNG, PDF, SVG); the surface writes into it, so it
  // is released after the surface.
  std::unique_ptr<kelto::file::CAtomicFile> file_;
  std::string error_;
  bool finished_ = false;
};

}  // namespace kelto::dc
