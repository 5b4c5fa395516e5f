#include "view/ViewWindow.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <stdexcept>

#include "core/ModelNode.h"
#include "platform/dc/XErrorTrap.h"
#include "platform/gl/GLDIBSurface.h"
#include "platform/gl/GLWindowSurface.h"
#include "platform/window/WindowBase.h"
#include "platform/window/x11/X11Window.h"
#include "render/GLRenderer.h"

namespace win = kelto::window;

// A window without a system window: the host's size, a capture flag and a
// paint flag. Screen and client coordinates are one (the host gives view
// coordinates throughout).
class CViewWindow::CWindowlessWindow : public win::CWindowBase {
 public:
  CWindowlessWindow(int width, int height) : m_size{width, height} {}

  win::CClientSize ClientSize() const override { return m_size; }
  void SetCapture() override { m_capture = true; }
  void ReleaseCapture() override { m_capture = false; }
  bool HasCapture() const override { return m_capture; }
  win::CWindowPoint ScreenToClient(win::CWindowPoint screen) const override { return screen; }
  void RedrawWindow(unsigned flags) override {
    if (flags & (win::kRdwInvalidate | win::kRdwInternalPaint)) m_needsPaint = true;
    // Painting happens when the host draws; an immediate update has nothing
    // to show into.
  }
  void DragAcceptFiles(bool) override {}

  void SetSize(int width, int height) { m_size = {width, height}; }
  bool m_needsPaint = true;

 private:
  win::CClientSize m_size;
  bool m_capture = false;
};

struct CViewWindow::Windowed {
  explicit Windowed(kelto::gl::CGLWindowSurface& surface) : window(surface) {}
  win::CX11Window window;
};

CViewWindow::CViewWindow(CModelNode& root, CGLRenderer& renderer)
    : m_root(root), m_renderer(renderer) {}

CViewWindow::~CViewWindow() { Deactivate(); }

void CViewWindow::Attach(win::IFWindow& window, kelto::gl::CGLSurface& surface) {
  m_renderer.Init(&m_root, &surface, true);
  const win::CClientSize size = window.ClientSize();
  m_renderer.Resize(size.Width, size.Height);
  m_display.Attach(window, m_renderer);
}

void CViewWindow::ActivateWindowed(const std::string& displayName, unsigned long parent) {
  Deactivate();
  auto surface = std::make_unique<kelto::gl::CGLWindowSurface>(displayName, parent);
  if (!surface->Window() || !surface->Initialised()) {
    const std::string shown = displayName.empty() ? "$DISPLAY" : displayName;
    std::string message = "Unable to create the view window on display " + shown;
    if (!surface->Error().empty()) message += ": " + surface->Error();
    throw std::runtime_error(message);
  }
  m_windowed = std::make_unique<Windowed>(*surface);
  m_windowed->window.SetWindowProcedure(this);
  m_windowless = false;
  m_surface = std::move(surface);
  Attach(m_windowed->window, *m_surface);
}

void CViewWindow::ActivateWindowless(int width, int height) {
  Deactivate();
  width = std::max(width, 1);
  height = std::max(height, 1);
  m_surface = std::make_unique<kelto::gl::CGLDIBSurface>(width, height);
  m_windowlessWindow = std::make_unique<CWindowlessWindow>(width, height);
  m_windowlessWindow->SetWindowProcedure(this);
  m_windowless = true;
  Attach(*m_windowlessWindow, *m_surface);
}

void CViewWindow::Deactivate() {
  if (!m_surface) return;
  m_display.Detach();
  m_renderer.Shutdown();
  m_renderer.SetViewedRoot(&m_root);
  m_windowed.reset();
  m_windowlessWindow.reset();
  m_surface.reset();
  m_windowless = false;
}

unsigned long CViewWindow::Handle() const {
  return m_windowed ? m_windowed->window.Handle() : 0;
}

win::IFMessagePump* CViewWindow::Pump() const {
  return m_windowed ? &m_windowed->window : nullptr;
}

bool CViewWindow::WindowAlive() const {
  if (!m_windowed) return false;
  return static_cast<kelto::gl::CGLWindowSurface&>(*m_surface).WindowAlive();
}

void CViewWindow::SetVisible(bool visible) {
  if (!m_windowed) return;
  auto& surface = static_cast<kelto::gl::CGLWindowSurface&>(*m_surface);
  if (!surface.Connection() || !surface.Window() || !surface.WindowAlive()) return;
  // The host may have destroyed its window, and our child with it, since the
  // last event we read: the request must not end the process.
  kelto::dc::CXErrorTrap trap(surface.Connection());
  if (visible)
    XMapWindow(surface.Connection(), surface.Window());
  else
    XUnmapWindow(surface.Connection(), surface.Window());
  trap.Failed();
}

void CViewWindow::Redraw(unsigned flags) {
  if (m_windowed) m_windowed->window.RedrawWindow(flags);
  if (m_windowlessWindow) m_windowlessWindow->RedrawWindow(flags);
}

void CViewWindow::Dispatch(const win::CWindowMessage& message) {
  if (m_windowlessWindow) {
    if (message.Kind == win::MessageKind::Size)
      Resized(message.Width, message.Height);
    else
      m_windowlessWindow->Dispatch(message);
  } else if (m_windowed) {
    m_windowed->window.Dispatch(message);
  }
}

bool CViewWindow::Draw(cairo_t* cr, int left, int top, int width, int height) {
  if (!m_windowlessWindow) return false;
  auto& surface = static_cast<kelto::gl::CGLDIBSurface&>(*m_surface);
  m_renderer.Render();
  surface.Blit(cr, left, top, width, height);
  m_windowlessWindow->m_needsPaint = false;
  return true;
}

bool CViewWindow::NeedsPaint() const {
  return m_windowlessWindow ? m_windowlessWindow->m_needsPaint : false;
}

void CViewWindow::Resized(int width, int height) {
  if (m_windowlessWindow) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    static_cast<kelto::gl::CGLDIBSurface&>(*m_surface).SetSize(width, height);
    m_windowlessWindow->SetSize(width, height);
    m_windowlessWindow->Dispatch(win::CWindowMessage::Size(width, height));
    m_windowlessWindow->RedrawWindow(win::kRdwInvalidate);
  } else if (m_windowed) {
    auto& surface = static_cast<kelto::gl::CGLWindowSurface&>(*m_surface);
    surface.UpdateSize();
    m_renderer.Resize(surface.Width(), surface.Height());
    m_windowed->window.RedrawWindow(win::kRdwInvalidate);
  }
}

bool CViewWindow::ProcessWindowMessage(const win::CWindowMessage&) {
  // The display has done the work; the control's own procedure adds nothing
  // a window system would not do by default.
  return false;
}
