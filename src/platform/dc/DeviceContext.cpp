#include "platform/dc/DeviceContext.h"

#include <X11/Xlib.h>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo-xlib.h>

#include <stdexcept>
#include <utility>

#include "platform/dc/XErrorTrap.h"

namespace kelto::dc {

namespace {

// cairo's image surfaces address pixels with 32-bit ints; anything beyond
// this is a caller's mistake rather than a picture.
constexpr int kMaxImageSide = 32767;

void CheckImageSize(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
    throw std::invalid_argument("device context: image size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is out of range");
}

void CheckPageSize(double width, double height) {
  if (!(width > 0) || !(height > 0))
    throw std::invalid_argument("device context: page size must be positive");
}

cairo_surface_t* Checked(cairo_surface_t* s, const std::string& what) {
  const cairo_status_t st = cairo_surface_status(s);
  if (st != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    throw std::runtime_error("device context: cannot create " + what + ": " +
                             cairo_status_to_string(st));
  }
  return s;
}

}  // namespace

CDeviceContext::CDeviceContext(Kind kind, cairo_surface_t* surface, double width, double height,
                               std::string path)
    : kind_(kind), surface_(surface), width_(width), height_(height), path_(std::move(path)) {
  cr_ = cairo_create(surface_);
  const cairo_status_t st = cairo_status(cr_);
  if (st != CAIRO_STATUS_SUCCESS) {
    Release();
    throw std::runtime_error(std::string("device context: ") + cairo_status_to_string(st));
  }
}

CDeviceContext CDeviceContext::CreateImage(int width, int height) {
  CheckImageSize(width, height);
  return {Kind::Image,
          Checked(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), "an image"),
          double(width),
          double(height),
          {}};
}

CDeviceContext CDeviceContext::CreatePng(const std::string& path, int width, int height) {
  CheckImageSize(width, height);
  return {Kind::Png,
          Checked(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), "an image"),
          double(width), double(height), path};
}

CDeviceContext CDeviceContext::CreatePdf(const std::string& path, double width, double height) {
  CheckPageSize(width, height);
  return {Kind::Pdf, Checked(cairo_pdf_surface_create(path.c_str(), width, height), path), width,
          height, path};
}

CDeviceContext CDeviceContext::CreateSvg(const std::string& path, double width, double height) {
  CheckPageSize(width, height);
  return {Kind::Svg, Checked(cairo_svg_surface_create(path.c_str(), width, height), path), width,
          height, path};
}

CDeviceContext CDeviceContext::CreateForWindow(_XDisplay* display, unsigned long window) {
  if (!display || !window) throw std::invalid_argument("device context: no window");
  // A window id that does not exist raises BadWindow, which must not end the
  // process.
  XWindowAttributes attrs{};
  CXErrorTrap trap(display);
  const Status ok = XGetWindowAttributes(display, window, &attrs);
  if (!ok || trap.Failed())
    throw std::runtime_error("device context: window " + std::to_string(window) +
                             " does not exist");
  cairo_surface_t* s =
      Checked(cairo_xlib_surface_create(display, window, attrs.visual, attrs.width, attrs.height),
              "a window surface");
  return {Kind::Window, s, double(attrs.width), double(attrs.height), {}};
}

CDeviceContext::CDeviceContext(CDeviceContext&& other) noexcept
    : kind_(other.kind_),
      surface_(std::exchange(other.surface_, nullptr)),
      cr_(std::exchange(other.cr_, nullptr)),
      width_(other.width_),
      height_(other.height_),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)),
      finished_(other.finished_) {}

CDeviceContext& CDeviceContext::operator=(CDeviceContext&& other) noexcept {
  if (this != &other) {
    Finish();
    Release();
    kind_ = other.kind_;
    surface_ = std::exchange(other.surface_, nullptr);
    cr_ = std::exchange(other.cr_, nullptr);
    width_ = other.width_;
    height_ = other.height_;
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
    finished_ = other.finished_;
  }
  return *this;
}

CDeviceContext::~CDeviceContext() {
  Finish();
  Release();
}

void CDeviceContext::Release() noexcept {
  if (cr_) cairo_destroy(std::exchange(cr_, nullptr));
  if (surface_) cairo_surface_destroy(std::exchange(surface_, nullptr));
}

void CDeviceContext::ResizeWindow(int width, int height) {
  if (kind_ != Kind::Window || !surface_ || width <= 0 || height <= 0) return;
  cairo_xlib_surface_set_size(surface_, width, height);
  width_ = width;
  height_ = height;
}

bool CDeviceContext::Finish() {
  if (finished_ || !surface_) return error_.empty();
  finished_ = true;
  cairo_surface_flush(surface_);
  cairo_status_t st = cairo_status(cr_);
  if (st == CAIRO_STATUS_SUCCESS) {
    if (kind_ == Kind::Png) {
      st = cairo_surface_write_to_png(surface_, path_.c_str());
    } else if (kind_ == Kind::Pdf || kind_ == Kind::Svg) {
      // Finishing writes the trailer and closes the file; a write error is
      // only known afterwards, from the surface's status.
      cairo_surface_finish(surface_);
      st = cairo_surface_status(surface_);
    }
  }
  if (st != CAIRO_STATUS_SUCCESS) {
    error_ = std::string("device context: ") + (path_.empty() ? "" : path_ + ": ") +
             cairo_status_to_string(st);
    return false;
  }
  return true;
}

}  // namespace kelto::dc
