// CMessageMap: anything that handles a window's messages, the window's own
// procedure as well as the handlers that subclass it (see CWindowBase).
#pragma once

#include "platform/window/WindowMessage.h"

namespace kelto::window {

class CMessageMap {
 public:
  // True when the message is fully handled and goes no further down the
  // window's chain; false lets the next handler see it as well.
  virtual bool ProcessWindowMessage(const CWindowMessage& message) = 0;

 protected:
  CMessageMap() = default;
  CMessageMap(const CMessageMap&) = default;
  CMessageMap& operator=(const CMessageMap&) = default;
  ~CMessageMap() = default;
};

}  // namespace kelto::window
