#include "platform/dc/DeviceContext.h"

#include <X11/Xlib.h>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo-xlib.h>

#include <stdexcept>
#include <utility>

#include "platform/dc/XErrorTrap.h"
#include "platform/file/AtomicFile.h"

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

// cairo's write callback onto the file being written.
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<kelto::file::CAtomicFile*>(closure)->Write(data, length)
             ? CAIRO_STATUS_SUCCESS
             : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

CDeviceContext::CDeviceContext(Kind kind, cairo_surface_t* surface, double width, double height,
                               std::string path, std::unique_ptr<kelto::file::CAtomicFile> file)
    : kind_(kind),
      surface_(surface),
      width_(width),
      height_(height),
      path_(std::move(path)),
      file_(std::move(file)) {
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
  auto file = std::make_unique<kelto::file::CAtomicFile>(path);
  return {Kind::Png,
          Checked(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), "an image"),
          double(width),
          double(height),
          path,
          std::move(file)};
}

CDeviceContext CDeviceContext::CreatePdf(const std::string& path, double width, double height) {
  CheckPageSize(width, height);
  auto file = std::make_unique<kelto::file::CAtomicFile>(path);
  cairo_surface_t* surface =
      Checked(cairo_pdf_surface_create_for_stream(WriteToFile, file.get(), width, height), path);
  return {Kind::Pdf, surface, width, height, path, std::move(file)};
}

CDeviceContext CDeviceContext::CreateSvg(const std::string& path, double width, double height) {
  CheckPageSize(width, height);
  auto file = std::make_unique<kelto::file::CAtomicFile>(path);
  cairo_surface_t* surface =
      Checked(cairo_svg_surface_create_for_stream(WriteToFile, file.get(), width, height), path);
  return {Kind::Svg, surface, width, height, path, std::move(file)};
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
      file_(std::move(other.file_)),
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
    file_ = std::move(other.file_);
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
  // After the surface, which may still write into it while being destroyed.
  file_.reset();
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
  if (kind_ == Kind::Pdf || kind_ == Kind::Svg) {
    // Finishing writes the trailer; the surface must be done with the file
    // before the file is completed or thrown away, whatever went wrong.
    cairo_surface_finish(surface_);
    if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_status(surface_);
  } else if (kind_ == Kind::Png && st == CAIRO_STATUS_SUCCESS) {
    st = cairo_surface_write_to_png_stream(surface_, WriteToFile, file_.get());
  }
  if (file_) {
    if (st == CAIRO_STATUS_SUCCESS && file_->Commit()) return true;
    // The file's own reason (errno) says more than cairo's "error while
    // writing to output stream".
    error_ = !file_->Error().empty()
                 ? file_->Error()
                 : "cannot write " + path_ + ": " + cairo_status_to_string(st);
    file_->Discard();
    return false;
  }
  if (st != CAIRO_STATUS_SUCCESS) {
    error_ = std::string("device context: ") + cairo_status_to_string(st);
    return false;
  }
  return true;
}

void CDeviceContext::Abandon() noexcept {
  if (finished_ || !surface_) return;
  finished_ = true;
  error_ = "the drawing of " + (path_.empty() ? std::string("the device context") : path_) +
           " was abandoned";
  // The surface is done with the file before the file goes.
  if (kind_ == Kind::Pdf || kind_ == Kind::Svg) cairo_surface_finish(surface_);
  if (file_) file_->Discard();
}

}  // namespace kelto::dc
