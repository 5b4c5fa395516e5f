#include "platform/gl/GLWindowSurface.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "platform/dc/XErrorTrap.h"
#include "platform/gl/GLContextState.h"

namespace kelto::gl {

using kelto::dc::CXErrorTrap;

namespace {

PixelFormatRequest WindowRequest(bool font) {
  PixelFormatRequest r = kWindowRequest;
  r.Font = font ? 1 : 0;
  return r;
}

PixelFormatDesc Describe(Display* dpy, GLXFBConfig cfg) {
  const auto attr = [&](int name) {
    int v = 0;
    glXGetFBConfigAttrib(dpy, cfg, name, &v);
    return v;
  };
  PixelFormatDesc d;
  const int visual_type = attr(GLX_X_VISUAL_TYPE);
  d.Rgba =
      (attr(GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0 &&
      (visual_type == GLX_TRUE_COLOR || visual_type == GLX_DIRECT_COLOR || visual_type == GLX_NONE);
  d.DepthBits = attr(GLX_DEPTH_SIZE);
  d.SupportOpenGL = true;  // every GLX configuration renders OpenGL
  d.DoubleBuffer = attr(GLX_DOUBLEBUFFER) != 0;
  d.GenericFormat = attr(GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG;
  const int drawables = attr(GLX_DRAWABLE_TYPE);
  d.DrawToBitmap = (drawables & GLX_PIXMAP_BIT) != 0;
  // A window needs an X visual; its depth is what X calls the window's
  // colour depth, the measure the parent's depth is compared with.
  if (XVisualInfo* vi = glXGetVisualFromFBConfig(dpy, cfg)) {
    d.DrawToWindow = (drawables & GLX_WINDOW_BIT) != 0;
    d.ColorBits = vi->depth;
    XFree(vi);
  } else {
    d.ColorBits = attr(GLX_RED_SIZE) + attr(GLX_GREEN_SIZE) + attr(GLX_BLUE_SIZE);
  }
  return d;
}

}  // namespace

struct CGLWindowSurface::Impl {
  Display* display = nullptr;
  ::Window parent = 0;
  ::Window child = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
  int width = 1;
  int height = 1;
  bool alive = false;
  bool keep_foreign = false;

  // The child's destruction, and everything the parent reports to us (we
  // select only its structure events).
  bool IsOwn(const XEvent& e) const {
    return (e.type == DestroyNotify && e.xdestroywindow.window == child) || e.xany.window == parent;
  }

  void ResizeChild(int w, int h) {
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (w == width && h == height) return;
    CXErrorTrap trap(display);
    XResizeWindow(display, child, unsigned(w), unsigned(h));
    if (trap.Failed()) {
      alive = false;
      return;
    }
    width = w;
    height = h;
  }
};

CGLWindowSurface::CGLWindowSurface(_XDisplay* host_display, unsigned long parent, bool font)
    : CGLSurface(WindowRequest(font)), impl_(std::make_unique<Impl>()) {
  if (!host_display) {
    error_ = "no host display";
    return;
  }
  Create(DisplayString(host_display), parent);
}

CGLWindowSurface::CGLWindowSurface(const std::string& display_name, unsigned long parent, bool font)
    : CGLSurface(WindowRequest(font)), impl_(std::make_unique<Impl>()) {
  Create(display_name, parent);
}

void CGLWindowSurface::Create(const std::string& display_name, unsigned long parent) {
  Impl& m = *impl_;
  m.display = XOpenDisplay(display_name.empty() ? nullptr : display_name.c_str());
  if (!m.display) {
    error_ = "cannot open display \"" + display_name + "\"";
    return;
  }
  m.parent = parent;
  XWindowAttributes parent_attrs{};
  {
    CXErrorTrap trap(m.display);
    if (!parent || !XGetWindowAttributes(m.display, parent, &parent_attrs) || trap.Failed()) {
      error_ = "the parent window " + std::to_string(parent) + " does not exist";
      return;
    }
  }
  const int screen = XScreenNumberOfScreen(parent_attrs.screen);

  int count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(m.display, screen, &count);
  std::vector<PixelFormatDesc> all;
  for (int i = 0; i < count; ++i) all.push_back(Describe(m.display, configs[i]));
  std::vector<PixelFormatDesc> ordered;
  const std::vector<std::size_t> order = DeepDepthFirst(all);
  for (std::size_t i : order) ordered.push_back(all[i]);
  pixel_format_ = ChoosePixelFormat(ordered, request_, parent_attrs.depth);
  GLXFBConfig config = pixel_format_ ? configs[order[std::size_t(pixel_format_ - 1)]] : nullptr;
  if (configs) XFree(configs);
  if (!config) {
    error_ = "no GLX configuration is RGBA, double-buffered, window-capable and has depth";
    return;
  }

  XVisualInfo* vi = glXGetVisualFromFBConfig(m.display, config);
  m.width = std::max(parent_attrs.width, 1);
  m.height = std::max(parent_attrs.height, 1);
  {
    CXErrorTrap trap(m.display);
    m.colormap = XCreateColormap(m.display, RootWindow(m.display, screen), vi->visual, AllocNone);
    XSetWindowAttributes swa{};
    swa.colormap = m.colormap;
    swa.border_pixel = 0;
    // No background: the server would paint it on every expose and resize,
    // just before GL paints over it again.
    swa.background_pixmap = None;
    // Structure events of our own child tell us when it has been destroyed
    // along with its parent.
    swa.event_mask = StructureNotifyMask;
    m.child = XCreateWindow(m.display, parent, 0, 0, unsigned(m.width), unsigned(m.height), 0,
                            vi->depth, InputOutput, vi->visual,
                            CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &swa);
    // Each client has its own event mask on a window, so this does not
    // disturb what the host selected on its parent.
    XSelectInput(m.display, parent, StructureNotifyMask);
    XMapWindow(m.display, m.child);
    if (trap.Failed()) {
      XFree(vi);
      error_ =
          "cannot create the GL child window (X error " + std::to_string(trap.ErrorCode()) + ")";
      m.child = 0;
      return;
    }
  }
  XFree(vi);
  m.alive = true;

  m.context = glXCreateNewContext(m.display, config, GLX_RGBA_TYPE, nullptr, True);
  if (!m.context) {
    error_ = "glXCreateNewContext failed";
    return;
  }
  CGLContextState::ReleaseEgl();
  bool current;
  {
    CXErrorTrap trap(m.display);
    current = glXMakeCurrent(m.display, m.child, m.context) && !trap.Failed();
  }
  if (!current) {
    error_ = "glXMakeCurrent failed on the new child window";
    CGLContextState::ReleaseAll();
    glXDestroyContext(m.display, m.context);
    m.context = nullptr;
    return;
  }
  initialised_ = true;
  CreateFont();
}

CGLWindowSurface::~CGLWindowSurface() {
  Destroy();
  Impl& m = *impl_;
  if (!m.display) return;
  {
    CXErrorTrap trap(m.display);
    if (m.child && m.alive) XDestroyWindow(m.display, m.child);
    if (m.colormap) XFreeColormap(m.display, m.colormap);
  }
  XCloseDisplay(m.display);
}

void CGLWindowSurface::Destroy() {
  if (!initialised_) return;
  Impl& m = *impl_;
  const CGLContextState saved = CGLContextState::Capture();
  PumpEvents();
  if (m.alive) {
    CGLContextState::ReleaseEgl();
    CXErrorTrap trap(m.display);
    if (glXMakeCurrent(m.display, m.child, m.context) && !trap.Failed()) DeleteFont();
  }
  {
    CXErrorTrap trap(m.display);
    CGLContextState::ReleaseAll();
    glXDestroyContext(m.display, m.context);
  }
  if (saved.Context() != m.context) saved.Restore();
  m.context = nullptr;
  has_font_ = false;
  initialised_ = false;
}

void CGLWindowSurface::PumpEvents() {
  Impl& m = *impl_;
  if (!m.display) return;
  // Only events already sent to us are handled; this never waits.
  XEvent e;
  if (m.keep_foreign) {
    const auto own = [](Display*, XEvent* event, XPointer arg) -> Bool {
      return reinterpret_cast<const Impl*>(arg)->IsOwn(*event) ? True : False;
    };
    while (XCheckIfEvent(m.display, &e, own, reinterpret_cast<XPointer>(&m))) HandleEvent(e);
    return;
  }
  while (XPending(m.display) > 0) {
    XNextEvent(m.display, &e);
    HandleEvent(e);
  }
}

void CGLWindowSurface::KeepForeignEvents() { impl_->keep_foreign = true; }

bool CGLWindowSurface::HandleEvent(const XEvent& e) {
  Impl& m = *impl_;
  if (!m.IsOwn(e)) return false;
  if (e.type == DestroyNotify && e.xdestroywindow.window == m.child) {
    m.alive = false;
  } else if (e.type == ConfigureNotify && e.xconfigure.window == m.parent && m.alive) {
    m.ResizeChild(e.xconfigure.width, e.xconfigure.height);
  }
  return true;
}

void CGLWindowSurface::UpdateSize() {
  Impl& m = *impl_;
  PumpEvents();
  if (!m.alive) return;
  XWindowAttributes attrs{};
  bool ok;
  {
    CXErrorTrap trap(m.display);
    ok = XGetWindowAttributes(m.display, m.parent, &attrs) && !trap.Failed();
  }
  if (!ok) {
    m.alive = false;
    return;
  }
  m.ResizeChild(attrs.width, attrs.height);
}

bool CGLWindowSurface::MakeCurrent() {
  Impl& m = *impl_;
  if (initialised_) PumpEvents();
  if (!initialised_ || !m.alive) {
    CGLContextState::ReleaseAll();
    return false;
  }
  if (glXGetCurrentContext() == m.context && glXGetCurrentDrawable() == m.child) return true;
  CGLContextState::ReleaseEgl();
  bool ok;
  {
    CXErrorTrap trap(m.display);
    ok = glXMakeCurrent(m.display, m.child, m.context) && !trap.Failed();
  }
  if (!ok) {
    CGLContextState::ReleaseAll();
    return false;
  }
  return true;
}

void CGLWindowSurface::SwapBuffers() {
  Impl& m = *impl_;
  if (!initialised_) return;
  PumpEvents();
  if (!m.alive) return;
  CXErrorTrap trap(m.display);
  glXSwapBuffers(m.display, m.child);
  if (trap.Failed()) m.alive = false;
}

unsigned long CGLWindowSurface::Window() const { return impl_->child; }
_XDisplay* CGLWindowSurface::Connection() const { return impl_->display; }
int CGLWindowSurface::Width() const { return impl_->width; }
int CGLWindowSurface::Height() const { return impl_->height; }
bool CGLWindowSurface::WindowAlive() const { return impl_->alive; }

}  // namespace kelto::gl
