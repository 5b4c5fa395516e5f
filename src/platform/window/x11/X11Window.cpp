#include "platform/window/x11/X11Window.h"

#include <X11/Xlib.h>

#include "platform/gl/GLWindowSurface.h"

namespace kelto::window {

struct CX11Window::Impl {
  Display* display = nullptr;
  ::Window window = 0;
  EventFilter filter;
};

CX11Window::CX11Window(_XDisplay* display, unsigned long window, EventFilter filter)
    : impl_(std::make_unique<Impl>()) {
  impl_->display = display;
  impl_->window = window;
  impl_->filter = std::move(filter);
}

CX11Window::CX11Window(kelto::gl::CGLWindowSurface& surface)
    : CX11Window(surface.Connection(), surface.Window()) {}

CX11Window::~CX11Window() = default;

CClientSize CX11Window::ClientSize() const { return {}; }
void CX11Window::SetCapture() {}
void CX11Window::ReleaseCapture() {}
bool CX11Window::HasCapture() const { return false; }
CWindowPoint CX11Window::ScreenToClient(CWindowPoint screen) const { return screen; }
void CX11Window::RedrawWindow(unsigned) {}
void CX11Window::DragAcceptFiles(bool) {}
int CX11Window::FileDescriptor() const { return impl_->display ? ConnectionNumber(impl_->display) : -1; }
std::size_t CX11Window::DispatchPending() { return 0; }
unsigned long CX11Window::Handle() const { return impl_->window; }
_XDisplay* CX11Window::Connection() const { return impl_->display; }

}  // namespace kelto::window
