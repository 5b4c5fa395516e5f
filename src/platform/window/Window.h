// IFWindow: what a message handler may ask of the window it serves: its
// client size, the mouse capture, screen-to-client conversion, redrawing,
// accepting dropped files, and subclassing (being shown the window's messages
// before the window's own procedure).
#pragma once

#include "platform/window/MessageMap.h"

namespace kelto::window {

struct CClientSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const CClientSize&) const = default;
};

struct CWindowPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const CWindowPoint&) const = default;
};

// RedrawWindow flags (the values of the Windows flags of the same names).
enum RedrawFlags : unsigned {
  kRdwInvalidate = 0x0001,
  kRdwInternalPaint = 0x0002,
  kRdwErase = 0x0004,
  kRdwUpdateNow = 0x0100,
};

class IFWindow {
 public:
  virtual CClientSize ClientSize() const = 0;

  // Mouse capture: between SetCapture and ReleaseCapture the window keeps
  // receiving mouse messages when the pointer leaves it. When the capture
  // is taken away (not released by ReleaseCapture) the window receives a
  // CaptureLost message.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;

  virtual CWindowPoint ScreenToClient(CWindowPoint screen) const = 0;

  // kRdwInvalidate (or kRdwInternalPaint) schedules one Paint for all the
  // invalidations made until it is dispatched; kRdwErase makes an
  // EraseBackground precede it; kRdwUpdateNow dispatches a scheduled Paint
  // before returning.
  virtual void RedrawWindow(unsigned flags) = 0;

  // Whether the window announces that it takes dropped files.
  virtual void DragAcceptFiles(bool accept) = 0;

  // Timers: after SetTimer(id, ms) the window receives a Timer message with
  // that id every `ms` milliseconds (at least 1) until KillTimer(id); setting
  // an id again restarts it. False when the window keeps no timers (a
  // caller must then do without: nothing will arrive).
  virtual bool SetTimer(unsigned /*id*/, unsigned /*milliseconds*/) { return false; }
  virtual void KillTimer(unsigned /*id*/) {}

  // Subclassing: `map` sees every message before the handlers that
  // subclassed earlier and before the window's own procedure; when it
  // reports a message handled, those never see it.
  virtual void Subclass(CMessageMap& map) = 0;
  // Removes `map` from the chain (no effect when it is not in it); safe
  // while a message is being dispatched.
  virtual void Unsubclass(CMessageMap& map) = 0;

 protected:
  IFWindow() = default;
  ~IFWindow() = default;
};

}  // namespace kelto::window
