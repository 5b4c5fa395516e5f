// CX11Window: an X11 window as an IFWindow, with its message pump.
//
// It selects the input it needs on the window through the given connection,
// turns the window's events into messages (CX11InputTranslator) and runs
// them through the window's chain (CWindowBase) when the host pumps
// (IFMessagePump). The connection is not shared with the host: the
// descriptor to watch is this connection's.
//
// Painting is coalesced: exposures and RedrawWindow invalidations made while
// messages are dispatched give one Paint at the end of DispatchPending;
// RedrawWindow with kRdwUpdateNow paints at once. An invalidation made
// outside DispatchPending makes the descriptor readable (the server is asked
// for an exposure), so the host pumps and the paint follows.
//
// Capture: X keeps sending pointer events to the window while a button is
// held (the implicit grab), which is what the capture asks for; SetCapture
// records it, ReleaseCapture forgets it. When another client's grab takes
// the pointer away, or the window is unmapped, while captured, the window
// receives CaptureLost.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "platform/window/MessagePump.h"
#include "platform/window/WindowBase.h"

struct _XDisplay;
union _XEvent;

namespace kelto::gl {
class CGLWindowSurface;
}

namespace kelto::window {

class CX11Window : public CWindowBase, public IFMessagePump {
 public:
  // Events the window's owner wants to see before they are translated (for
  // example a GL surface following its parent's size); returns true for an
  // event it consumed.
  using EventFilter = std::function<bool(const _XEvent&)>;

  // The window `window` reached through `display` (neither owned).
  CX11Window(_XDisplay* display, unsigned long window, EventFilter filter = {});
  // The child window of a GL window surface, on the surface's connection;
  // the surface keeps the structure events of its own windows and must
  // outlive this window object.
  explicit CX11Window(kelto::gl::CGLWindowSurface& surface);
  ~CX11Window();

  // IFWindow
  CClientSize ClientSize() const override;
  void SetCapture() override;
  void ReleaseCapture() override;
  bool HasCapture() const override;
  CWindowPoint ScreenToClient(CWindowPoint screen) const override;
  void RedrawWindow(unsigned flags) override;
  void DragAcceptFiles(bool accept) override;
  // Each timer is a timerfd watched beside the connection.
  bool SetTimer(unsigned id, unsigned milliseconds) override;
  void KillTimer(unsigned id) override;

  // IFMessagePump
  int FileDescriptor() const override;
  std::size_t DispatchPending() override;

  unsigned long Handle() const;
  _XDisplay* Connection() const;

 private:
  struct Impl;
  void Paint();
  std::size_t HandleEvent(const _XEvent& e);
  std::size_t LoseCapture();
  std::size_t DispatchTimers();
  std::size_t FlushWheel();
  void PostWake();
  bool Viewable() const;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelto::window
