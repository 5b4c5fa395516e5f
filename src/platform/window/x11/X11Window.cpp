#include "platform/window/x11/X11Window.h"

#include <X11/Xlib.h>

#include <vector>

#include "platform/dc/XErrorTrap.h"
#include "platform/gl/GLWindowSurface.h"
#include "platform/window/x11/X11InputTranslator.h"

namespace kelto::window {

namespace {

// What the window needs to hear about. Pointer motion without buttons is
// included because the messages report it (and a drag may start from a
// press that came before the capture); motion is compressed when pumped.
constexpr long kInputMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | ExposureMask | StructureNotifyMask;

// Drops every motion event directly followed by another motion event of the
// same window: only the latest position of a run matters, and a slow frame
// must not leave a backlog of positions to work through.
void CompressMotion(std::vector<XEvent>& events) {
  std::vector<XEvent> kept;
  kept.reserve(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const XEvent& e = events[i];
    const bool superseded = e.type == MotionNotify && i + 1 < events.size() &&
                            events[i + 1].type == MotionNotify &&
                            events[i + 1].xmotion.window == e.xmotion.window;
    if (!superseded) kept.push_back(e);
  }
  events.swap(kept);
}

// Reading rounds per pump (see DispatchPending).
constexpr int kMaxRounds = 4;

}  // namespace

struct CX11Window::Impl {
  Display* display = nullptr;
  ::Window window = 0;
  ::Window root = 0;
  EventFilter filter;
  CX11InputTranslator translator;
  Atom wake_atom = None;
  CClientSize size;
  bool captured = false;
  bool invalid = false;
  bool erase = false;
  bool wake_posted = false;
  int dispatching = 0;
};

CX11Window::CX11Window(_XDisplay* display, unsigned long window, EventFilter filter)
    : impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.display = display;
  m.window = window;
  m.filter = std::move(filter);
  if (!display || !window) return;
  kelto::dc::CXErrorTrap trap(display);
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(display, window, &attrs)) {
    m.root = attrs.root;
    m.size = {attrs.width, attrs.height};
  }
  XSelectInput(display, window, kInputMask);
  m.wake_atom = XInternAtom(display, "_KELTO3D_WAKE", False);
  XFlush(display);
}

CX11Window::CX11Window(kelto::gl::CGLWindowSurface& surface)
    : CX11Window(surface.Connection(), surface.Window(),
                 [&surface](const XEvent& e) { return surface.HandleEvent(e); }) {
  surface.KeepForeignEvents();
}

CX11Window::~CX11Window() = default;

CClientSize CX11Window::ClientSize() const { return impl_->size; }

void CX11Window::SetCapture() { impl_->captured = true; }

void CX11Window::ReleaseCapture() { impl_->captured = false; }

bool CX11Window::HasCapture() const { return impl_->captured; }

CWindowPoint CX11Window::ScreenToClient(CWindowPoint screen) const {
  const Impl& m = *impl_;
  if (!m.display || !m.root) return screen;
  int x = screen.X, y = screen.Y;
  ::Window child = 0;
  kelto::dc::CXErrorTrap trap(m.display);
  if (!XTranslateCoordinates(m.display, m.root, m.window, screen.X, screen.Y, &x, &y, &child) ||
      trap.Failed())
    return screen;
  return {x, y};
}

void CX11Window::RedrawWindow(unsigned flags) {
  Impl& m = *impl_;
  if (flags & (kRdwInvalidate | kRdwInternalPaint)) {
    m.invalid = true;
    if ((flags & kRdwInvalidate) && (flags & kRdwErase)) m.erase = true;
  }
  if (!m.invalid) return;
  if (flags & kRdwUpdateNow) {
    Paint();
  } else if (m.dispatching == 0) {
    // Nobody is pumping: wake the host so the paint follows.
    PostWake();
  }
}

void CX11Window::DragAcceptFiles(bool /*accept*/) {}

int CX11Window::FileDescriptor() const {
  return impl_->display ? ConnectionNumber(impl_->display) : -1;
}

void CX11Window::Paint() {
  Impl& m = *impl_;
  m.invalid = false;
  if (m.erase) {
    m.erase = false;
    Dispatch(CWindowMessage::Of(MessageKind::EraseBackground));
  }
  Dispatch(CWindowMessage::Of(MessageKind::Paint));
}

std::size_t CX11Window::HandleEvent(const XEvent& e) {
  Impl& m = *impl_;
  if (m.filter && m.filter(e)) return 0;
  if (e.xany.window != m.window) return 0;
  switch (e.type) {
    case ClientMessage:
      if (e.xclient.message_type == m.wake_atom) m.wake_posted = false;
      return 0;
    case LeaveNotify:
      // Another client's grab took the pointer: our implicit grab is over.
      if (e.xcrossing.mode == NotifyGrab && m.captured) return LoseCapture();
      return 0;
    case UnmapNotify:
      // An unviewable window loses its grab.
      return m.captured ? LoseCapture() : 0;
    default:
      break;
  }
  std::vector<CWindowMessage> messages;
  m.translator.Translate(e, messages);
  std::size_t n = 0;
  for (const CWindowMessage& message : messages) {
    if (message.Kind == MessageKind::Paint) {
      m.invalid = true;  // painted once, at the end of the pump
      continue;
    }
    if (message.Kind == MessageKind::Size) m.size = {message.Width, message.Height};
    Dispatch(message);
    ++n;
  }
  return n;
}

std::size_t CX11Window::LoseCapture() {
  Impl& m = *impl_;
  m.captured = false;
  m.translator.Reset();
  Dispatch(CWindowMessage::Of(MessageKind::CaptureLost));
  return 1;
}

std::size_t CX11Window::DispatchPending() {
  Impl& m = *impl_;
  if (!m.display) return 0;
  ++m.dispatching;
  std::size_t n = 0;
  bool painted = false;
  std::vector<XEvent> batch;
  // Painting talks to the server and may read new events into the queue,
  // where the descriptor no longer announces them: go round while events
  // wait, a bounded number of times so a stream of input cannot keep the
  // host from its other work.
  for (int round = 0; round < kMaxRounds; ++round) {
    batch.clear();
    while (XPending(m.display) > 0) {
      XEvent e;
      XNextEvent(m.display, &e);
      batch.push_back(e);
    }
    CompressMotion(batch);
    for (const XEvent& e : batch) n += HandleEvent(e);
    // One paint per pump: a paint handler that invalidates again is
    // painted by the next pump, not in a loop here.
    if (m.invalid && !painted) {
      Paint();
      painted = true;
      ++n;
    }
    if (XPending(m.display) == 0) break;
  }
  --m.dispatching;
  if (m.invalid || XEventsQueued(m.display, QueuedAlready) > 0) PostWake();
  return n;
}

void CX11Window::PostWake() {
  Impl& m = *impl_;
  if (m.wake_posted || !m.display) return;
  // A message to ourselves makes the descriptor readable, so the host
  // pumps again.
  XEvent wake{};
  wake.xclient.type = ClientMessage;
  wake.xclient.window = m.window;
  wake.xclient.message_type = m.wake_atom;
  wake.xclient.format = 32;
  kelto::dc::CXErrorTrap trap(m.display);
  XSendEvent(m.display, m.window, False, NoEventMask, &wake);
  XFlush(m.display);
  m.wake_posted = !trap.Failed();
}

unsigned long CX11Window::Handle() const { return impl_->window; }
_XDisplay* CX11Window::Connection() const { return impl_->display; }

}  // namespace kelto::window
