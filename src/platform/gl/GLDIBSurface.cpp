#include "platform/gl/GLDIBSurface.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/gl/GLContextState.h"

namespace kelto::gl {

namespace {

// The off-screen buffer carries 24 bits of colour (its fourth byte is
// padding), so that is the depth configurations are measured against.
constexpr int kBufferColourBits = 24;

struct SurfacelessDisplay {
  EGLDisplay display = EGL_NO_DISPLAY;
  std::string error;
};

// One display for the process, initialised on first use and never
// terminated: eglTerminate would pull the display from under every other
// live surface, and starting llvmpipe again costs more than keeping it.
const SurfacelessDisplay& Surfaceless() {
  static const SurfacelessDisplay d = [] {
    SurfacelessDisplay r;
    r.display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (r.display == EGL_NO_DISPLAY) {
      r.error = "EGL has no surfaceless platform (Mesa's EGL is needed)";
      return r;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(r.display, &major, &minor)) {
      r.error = "eglInitialize failed on the surfaceless platform";
      r.display = EGL_NO_DISPLAY;
    }
    return r;
  }();
  return d;
}

PixelFormatDesc Describe(EGLDisplay dpy, EGLConfig cfg) {
  const auto attr = [&](EGLint name) {
    EGLint v = 0;
    eglGetConfigAttrib(dpy, cfg, name, &v);
    return v;
  };
  PixelFormatDesc d;
  d.Rgba = attr(EGL_COLOR_BUFFER_TYPE) == EGL_RGB_BUFFER;
  d.ColorBits = attr(EGL_RED_SIZE) + attr(EGL_GREEN_SIZE) + attr(EGL_BLUE_SIZE);
  d.DepthBits = attr(EGL_DEPTH_SIZE);
  d.SupportOpenGL = (attr(EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) != 0;
  const EGLint surface = attr(EGL_SURFACE_TYPE);
  d.DrawToWindow = (surface & EGL_WINDOW_BIT) != 0;
  d.DoubleBuffer = d.DrawToWindow;  // only window surfaces have a back buffer
  d.DrawToBitmap = (surface & EGL_PBUFFER_BIT) != 0;
  d.GenericFormat = attr(EGL_CONFIG_CAVEAT) == EGL_SLOW_CONFIG;
  return d;
}

}  // namespace

struct CGLDIBSurface::Impl {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  bool buffers_ok = false;
  int width = 1;
  int height = 1;
  std::vector<std::uint8_t> pixels;

  bool IsCurrent() const {
    eglBindAPI(EGL_OPENGL_API);
    return context != EGL_NO_CONTEXT && eglGetCurrentContext() == context;
  }

  // (Re)allocates the renderbuffers at the current size and clears them;
  // the context is current.
  bool AllocateBuffers() {
    if (!framebuffer) {
      glGenFramebuffers(1, &framebuffer);
      glGenRenderbuffers(1, &colour);
      glGenRenderbuffers(1, &depth);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint renderbuffer = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, GLuint(renderbuffer));
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    buffers_ok = glGetError() == GL_NO_ERROR &&
                 glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (buffers_ok) {
      // Fresh storage is undefined; a new bitmap starts out black.
      glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
      glDisable(GL_SCISSOR_TEST);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glDepthMask(GL_TRUE);
      glClearColor(0, 0, 0, 0);
      glClearDepth(1.0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glPopAttrib();
    }
    return buffers_ok;
  }

  void ReleaseBuffers() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteRenderbuffers(1, &depth);
    framebuffer = colour = depth = 0;
    buffers_ok = false;
  }
};

CGLDIBSurface::CGLDIBSurface(int width, int height, cairo_t* /*reference*/, bool font)
    : CGLSurface([font] {
        PixelFormatRequest r = kBitmapRequest;
        r.Font = font ? 1 : 0;
        return r;
      }()),
      impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.width = std::max(width, 1);
  m.height = std::max(height, 1);
  m.pixels.assign(std::size_t(m.width) * std::size_t(m.height) * 4, 0);

  const SurfacelessDisplay& sd = Surfaceless();
  if (sd.display == EGL_NO_DISPLAY) {
    error_ = sd.error;
    return;
  }
  m.display = sd.display;

  EGLint count = 0;
  eglGetConfigs(m.display, nullptr, 0, &count);
  std::vector<EGLConfig> configs(std::size_t(std::max(count, 0)));
  eglGetConfigs(m.display, configs.data(), count, &count);
  configs.resize(std::size_t(std::max(count, 0)));
  std::vector<PixelFormatDesc> all;
  for (EGLConfig c : configs) all.push_back(Describe(m.display, c));
  std::vector<PixelFormatDesc> ordered;
  const std::vector<std::size_t> order = DeepDepthFirst(all);
  for (std::size_t i : order) ordered.push_back(all[i]);
  pixel_format_ = ChoosePixelFormat(ordered, request_, kBufferColourBits);
  if (pixel_format_ == 0) {
    error_ = "no EGL configuration is RGBA with depth and supports desktop OpenGL off-screen";
    return;
  }
  EGLConfig config = configs[order[std::size_t(pixel_format_ - 1)]];

  // Desktop GL in the compatibility profile: the renderer is fixed-function.
  // The bound API is thread state that eglGetCurrentContext answers by, so it
  // stays on desktop GL.
  eglBindAPI(EGL_OPENGL_API);
  const EGLint attribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                            EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  m.context = eglCreateContext(m.display, config, EGL_NO_CONTEXT, attribs);
  if (m.context == EGL_NO_CONTEXT) {
    error_ = "eglCreateContext failed (EGL error " + std::to_string(eglGetError()) + ")";
    return;
  }
  CGLContextState::ReleaseGlx();
  if (!eglMakeCurrent(m.display, EGL_NO_SURFACE, EGL_NO_SURFACE, m.context)) {
    error_ =
        "eglMakeCurrent without a surface failed (EGL error " + std::to_string(eglGetError()) + ")";
    eglDestroyContext(m.display, std::exchange(m.context, EGL_NO_CONTEXT));
    CGLContextState::ReleaseAll();
    return;
  }
  initialised_ = true;
  // The font goes first, before anything else in the context can take a
  // list name.
  CreateFont();
  if (!m.AllocateBuffers())
    error_ = "the " + std::to_string(m.width) + "x" + std::to_string(m.height) +
             " off-screen framebuffer could not be made";
  // Like a window's first activation, the viewport starts out covering the
  // whole buffer.
  glViewport(0, 0, m.width, m.height);
}

CGLDIBSurface::~CGLDIBSurface() { Destroy(); }

void CGLDIBSurface::Destroy() {
  if (!initialised_) return;
  Impl& m = *impl_;
  const CGLContextState saved = CGLContextState::Capture();
  CGLContextState::ReleaseGlx();
  eglBindAPI(EGL_OPENGL_API);
  if (eglMakeCurrent(m.display, EGL_NO_SURFACE, EGL_NO_SURFACE, m.context)) {
    DeleteFont();
    m.ReleaseBuffers();
  }
  CGLContextState::ReleaseAll();
  eglDestroyContext(m.display, m.context);
  if (saved.Context() != m.context) saved.Restore();
  m.context = EGL_NO_CONTEXT;
  initialised_ = false;
}

bool CGLDIBSurface::MakeCurrent() {
  Impl& m = *impl_;
  if (!initialised_ || !m.buffers_ok) {
    CGLContextState::ReleaseAll();
    return false;
  }
  if (m.IsCurrent()) return true;
  CGLContextState::ReleaseGlx();
  if (!eglMakeCurrent(m.display, EGL_NO_SURFACE, EGL_NO_SURFACE, m.context)) {
    CGLContextState::ReleaseAll();
    return false;
  }
  return true;
}

void CGLDIBSurface::SwapBuffers() {
  if (initialised_ && impl_->IsCurrent()) glFinish();
}

int CGLDIBSurface::Width() const { return impl_->width; }
int CGLDIBSurface::Height() const { return impl_->height; }

void CGLDIBSurface::SetSize(int width, int height) {
  Impl& m = *impl_;
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == m.width && height == m.height) return;
  m.width = width;
  m.height = height;
  m.pixels.assign(std::size_t(width) * std::size_t(height) * 4, 0);
  if (!initialised_) return;
  const CGLContextState saved = CGLContextState::Capture();
  CGLContextState::ReleaseGlx();
  eglBindAPI(EGL_OPENGL_API);
  if (eglMakeCurrent(m.display, EGL_NO_SURFACE, EGL_NO_SURFACE, m.context)) {
    if (!m.AllocateBuffers())
      error_ = "the " + std::to_string(width) + "x" + std::to_string(height) +
               " off-screen framebuffer could not be made";
  }
  if (saved.Context() != m.context) saved.Restore();
}

bool CGLDIBSurface::ReadBack() {
  Impl& m = *impl_;
  if (!initialised_ || !m.buffers_ok) return false;
  const CGLContextState saved = CGLContextState::Capture();
  if (!MakeCurrent()) {
    saved.Restore();
    return false;
  }
  // Read exactly our colour attachment, tightly packed, whatever pixel state
  // the renderer left behind; all of it is put back afterwards.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPushAttrib(GL_PIXEL_MODE_BIT);
  GLint read_fbo = 0, pack_buffer = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_fbo);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &pack_buffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m.framebuffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
  glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
  for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE})
    glPixelTransferf(scale, 1.0f);
  for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS})
    glPixelTransferf(bias, 0.0f);
  // GL's rows run bottom-up, the same as the buffer's, so this is one copy.
  glReadPixels(0, 0, m.width, m.height, GL_BGRA, GL_UNSIGNED_BYTE, m.pixels.data());
  glBindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(pack_buffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read_fbo));
  glPopAttrib();
  glPopClientAttrib();
  if (saved.Context() != m.context) saved.Restore();
  return true;
}

const std::uint8_t* CGLDIBSurface::Bits() {
  ReadBack();
  return impl_->pixels.data();
}

void CGLDIBSurface::Blit(cairo_t* dc, int left, int top, int width, int height) {
  if (!dc || width == 0 || height == 0) return;
  ReadBack();
  const Impl& m = *impl_;

  // The picture goes through an image surface cairo owns: PDF and SVG
  // targets keep their sources until the page is written, long after this
  // buffer may have changed, and the copy turns the rows top-down on the way.
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, m.width, m.height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return;
  }
  cairo_surface_flush(image);
  std::uint8_t* dst = cairo_image_surface_get_data(image);
  const int dst_stride = cairo_image_surface_get_stride(image);
  const std::size_t row_bytes = std::size_t(m.width) * 4;
  for (int y = 0; y < m.height; ++y) {
    const std::uint8_t* src = m.pixels.data() + std::size_t(m.height - 1 - y) * row_bytes;
    std::uint8_t* out = dst + std::size_t(y) * std::size_t(dst_stride);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out, src, row_bytes);  // BGRX bytes are cairo's native xRGB words
    } else {
      for (int x = 0; x < m.width; ++x) {
        const std::uint8_t* p = src + x * 4;
        const std::uint32_t word = 0xFF000000u | (std::uint32_t(p[2]) << 16) |
                                   (std::uint32_t(p[1]) << 8) | std::uint32_t(p[0]);
        std::memcpy(out + x * 4, &word, 4);
      }
    }
  }
  cairo_surface_mark_dirty(image);

  const double sx = double(width) / m.width;
  const double sy = double(height) / m.height;
  const auto whole_enlargement = [](double s) {
    const double a = std::fabs(s);
    return a >= 1.0 && a == std::floor(a);
  };
  cairo_save(dc);
  cairo_rectangle(dc, left, top, width, height);
  cairo_clip(dc);
  cairo_translate(dc, left, top);
  cairo_scale(dc, sx, sy);
  cairo_set_source_surface(dc, image, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(dc);
  // Padding instead of the default transparent border keeps filtered edges
  // from fading out.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, whole_enlargement(sx) && whole_enlargement(sy)
                                        ? CAIRO_FILTER_NEAREST
                                        : CAIRO_FILTER_GOOD);
  cairo_set_operator(dc, CAIRO_OPERATOR_SOURCE);
  cairo_paint(dc);
  cairo_restore(dc);
  cairo_surface_destroy(image);
}

}  // namespace kelto::gl
