// IFMessagePump: how a host with an event loop of its own drives a window's
// messages. The host watches FileDescriptor() for readability (a Qt socket
// notifier, a GLib source, Tk's file handler, poll) and calls
// DispatchPending() when it is readable, and once after creating the window.
#pragma once

#include <cstddef>

namespace kelto::window {

class IFMessagePump {
 public:
  // The descriptor that becomes readable when messages wait; -1 when there
  // is none (the window could not be made).
  virtual int FileDescriptor() const = 0;
  // Dispatches every message already waiting, paints what is invalid, and
  // returns the number of messages dispatched. Never waits for input.
  // Afterwards nothing waits unseen: anything new makes the descriptor
  // readable again.
  virtual std::size_t DispatchPending() = 0;

 protected:
  IFMessagePump() = default;
  ~IFMessagePump() = default;
};

}  // namespace kelto::window
