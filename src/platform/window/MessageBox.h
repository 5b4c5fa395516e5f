// The message box of the components: how a component tells a person about a
// problem it cannot return to its caller (a type-table configuration that
// fails to load, for example).
//
// The components run inside hosts of very different kinds, so the box itself
// is a replaceable handler: a desktop host installs one that shows a modal
// dialog (OK button, no owner window), the command-line tool one that prints
// to standard error, tests one that records what was shown. Until a host
// installs a handler, messages go to standard error as
//   <title>: <text>
// so nothing is ever lost silently.
//
// The handler is process-wide and, like everything in the components, used on
// the host's one thread; installing it is not synchronised.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelto::window {

using MessageBoxHandler = std::function<void(std::string_view title, std::string_view text)>;

// Shows a message with an OK button and waits until it is dismissed (what
// "shows" means is the installed handler's business).
void ShowMessageBox(std::string_view title, std::string_view text);

// Installs a handler and returns the one it replaces. An empty handler
// restores the default (standard error).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Installs a handler for the life of a scope and puts the previous one back.
class ScopedMessageBoxHandler {
 public:
  explicit ScopedMessageBoxHandler(MessageBoxHandler handler)
      : m_previous(SetMessageBoxHandler(std::move(handler))) {}
  ~ScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(m_previous)); }
  ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
  ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

 private:
  MessageBoxHandler m_previous;
};

}  // namespace kelto::window
