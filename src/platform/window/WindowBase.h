// CWindowBase: the message chain of a window, shared by every implementation
// of IFWindow (the X11 window, test windows, a host's windowless adapter).
//
// A message goes to the subclassing handlers, the most recent first, and
// then to the window's own procedure, stopping at the first that reports it
// handled. This is the order in which the view's display sees its messages
// before the control's own procedure does.
#pragma once

#include <vector>

#include "platform/window/Window.h"

namespace kelto::window {

class CWindowBase : public IFWindow {
 public:
  // The window's own procedure: the last to see each message (may be null).
  void SetWindowProcedure(CMessageMap* procedure) { procedure_ = procedure; }

  void Subclass(CMessageMap& map) override;
  void Unsubclass(CMessageMap& map) override;

  // Runs the chain; true when some handler reported the message handled.
  bool Dispatch(const CWindowMessage& message);

 protected:
  CWindowBase() = default;
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;
  ~CWindowBase() = default;

 private:
  // Most recent last; a removed entry is nulled during a dispatch and
  // compacted afterwards, so a handler may unsubclass itself.
  std::vector<CMessageMap*> subclasses_;
  CMessageMap* procedure_ = nullptr;
  int dispatching_ = 0;
};

}  // namespace kelto::window
