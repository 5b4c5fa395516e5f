#include "platform/window/MessageBox.h"

#include <iostream>
#include <utility>

namespace kelto::window {
namespace {

MessageBoxHandler& Installed() {
  static MessageBoxHandler handler;
  return handler;
}

void ToStandardError(std::string_view title, std::string_view text) {
  std::cerr << title << ": " << text << '\n';
}

}  // namespace

void ShowMessageBox(std::string_view title, std::string_view text) {
  // Copy first: a handler may install another handler while it runs.
  const MessageBoxHandler handler = Installed();
  if (handler) {
    handler(title, text);
  } else {
    ToStandardError(title, text);
  }
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(Installed(), std::move(handler));
}

}  // namespace kelto::window
