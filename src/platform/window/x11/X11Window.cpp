#include "platform/window/x11/X11Window.h"

#include <X11/Xlib.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/dc/XErrorTrap.h"
#include "platform/gl/GLWindowSurface.h"
#include "platform/window/x11/X11InputTranslator.h"

namespace kelto::window {

namespace {

// What the window needs to hear about. Motion without buttons too: the
// messages report every move; runs of motion are compressed when pumped.
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
  // The descriptor the host watches (epoll over the connection and
  // wake_fd), and the eventfd that says "pump again" without the server.
  int watch_fd = -1;
  int wake_fd = -1;
  CClientSize size;
  bool captured = false;
  bool invalid = false;
  bool erase = false;
  int dispatching = 0;
  std::map<unsigned, int> timers;  // id → timerfd
  // Wheel notches queued one after the other in one direction, added up
  // into one message (its delta a multiple of 120, as a fast wheel gives).
  std::optional<CWindowMessage> wheel;
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
  XFlush(display);
  // The window may have been exposed before it listened: paint it once.
  m.invalid = true;
  m.wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  m.watch_fd = epoll_create1(EPOLL_CLOEXEC);
  for (int fd : {ConnectionNumber(display), m.wake_fd}) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    if (m.watch_fd >= 0 && fd >= 0) epoll_ctl(m.watch_fd, EPOLL_CTL_ADD, fd, &ev);
  }
  PostWake();
}

CX11Window::CX11Window(kelto::gl::CGLWindowSurface& surface)
    : CX11Window(surface.Connection(), surface.Window(),
                 [&surface](const XEvent& e) { return surface.HandleEvent(e); }) {
  surface.KeepForeignEvents();
}

CX11Window::~CX11Window() {
  for (const auto& [id, fd] : impl_->timers) close(fd);
  if (impl_->watch_fd >= 0) close(impl_->watch_fd);
  if (impl_->wake_fd >= 0) close(impl_->wake_fd);
}

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
  // Drawing outside the pump talks to the server and may have read events
  // into Xlib's queue, where the connection no longer announces them.
  if (m.dispatching == 0 && m.display && XEventsQueued(m.display, QueuedAlready) > 0) PostWake();
}

void CX11Window::DragAcceptFiles(bool /*accept*/) {}

bool CX11Window::SetTimer(unsigned id, unsigned milliseconds) {
  Impl& m = *impl_;
  if (m.watch_fd < 0) return false;
  int fd = -1;
  if (const auto it = m.timers.find(id); it != m.timers.end()) {
    fd = it->second;
  } else {
    fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    if (epoll_ctl(m.watch_fd, EPOLL_CTL_ADD, fd, &ev) != 0) {
      close(fd);
      return false;
    }
    m.timers.emplace(id, fd);
  }
  const long ms = std::max(1u, milliseconds);
  itimerspec spec{};
  spec.it_value.tv_sec = ms / 1000;
  spec.it_value.tv_nsec = (ms % 1000) * 1000000L;
  spec.it_interval = spec.it_value;
  return timerfd_settime(fd, 0, &spec, nullptr) == 0;
}

void CX11Window::KillTimer(unsigned id) {
  Impl& m = *impl_;
  const auto it = m.timers.find(id);
  if (it == m.timers.end()) return;
  epoll_ctl(m.watch_fd, EPOLL_CTL_DEL, it->second, nullptr);
  close(it->second);
  m.timers.erase(it);
}

std::size_t CX11Window::DispatchTimers() {
  Impl& m = *impl_;
  std::vector<unsigned> due;
  for (const auto& [id, fd] : m.timers) {
    std::uint64_t expirations = 0;
    if (read(fd, &expirations, sizeof expirations) == sizeof expirations && expirations > 0)
      due.push_back(id);
  }
  // A handler may kill or set timers: each due one is dispatched once,
  // unless it was killed by an earlier one.
  std::size_t n = 0;
  for (unsigned id : due) {
    if (!m.timers.count(id)) continue;
    Dispatch(CWindowMessage::Timer(id));
    ++n;
  }
  return n;
}

int CX11Window::FileDescriptor() const { return impl_->watch_fd; }

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
    case LeaveNotify:
      // While captured, the pointer leaves the window in the normal way
      // when it is dragged out. The grab is gone when another client's grab
      // took the pointer (Grab), when it ended with buttons still reported
      // held (Ungrab before their release), or when the window stopped being
      // viewable (an ancestor was unmapped: X reports a normal leave).
      if (!m.captured) return 0;
      if (e.xcrossing.mode != NotifyNormal || !Viewable()) return LoseCapture();
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
    if (message.Kind == MessageKind::MouseWheel) {
      CWindowMessage* held = m.wheel ? &*m.wheel : nullptr;
      if (held && held->Keys == message.Keys && (held->WheelDelta > 0) == (message.WheelDelta > 0)) {
        held->WheelDelta += message.WheelDelta;
        held->X = message.X;
        held->Y = message.Y;
      } else {
        n += FlushWheel();
        m.wheel = message;
      }
      continue;
    }
    n += FlushWheel();
    if (message.Kind == MessageKind::Size) m.size = {message.Width, message.Height};
    Dispatch(message);
    ++n;
  }
  return n;
}

bool CX11Window::Viewable() const {
  const Impl& m = *impl_;
  XWindowAttributes attrs{};
  kelto::dc::CXErrorTrap trap(m.display);
  return XGetWindowAttributes(m.display, m.window, &attrs) && !trap.Failed() &&
         attrs.map_state == IsViewable;
}

std::size_t CX11Window::FlushWheel() {
  Impl& m = *impl_;
  if (!m.wheel) return 0;
  const CWindowMessage wheel = std::move(*m.wheel);
  m.wheel.reset();
  Dispatch(wheel);
  return 1;
}

std::size_t CX11Window::LoseCapture() {
  FlushWheel();
  Impl& m = *impl_;
  m.captured = false;
  m.translator.Reset();
  Dispatch(CWindowMessage::Of(MessageKind::CaptureLost));
  return 1;
}

std::size_t CX11Window::DispatchPending() {
  Impl& m = *impl_;
  if (!m.display) return 0;
  if (m.wake_fd >= 0) {
    std::uint64_t count;
    [[maybe_unused]] const ssize_t r = read(m.wake_fd, &count, sizeof count);
  }
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
    n += FlushWheel();
    if (round == 0) n += DispatchTimers();
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
  const Impl& m = *impl_;
  if (m.wake_fd < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t r = write(m.wake_fd, &one, sizeof one);
}

unsigned long CX11Window::Handle() const { return impl_->window; }
_XDisplay* CX11Window::Connection() const { return impl_->display; }

}  // namespace kelto::window
