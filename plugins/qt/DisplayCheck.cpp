#include "DisplayCheck.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

void CheckDisplay() {
  // Platforms Qt reaches without X11 are trusted to be there.
  if (std::getenv("QT_QPA_PLATFORM") || std::getenv("WAYLAND_DISPLAY")) return;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name)
    throw std::runtime_error("there is no display to show it on (DISPLAY is not set).");
  Display* display = XOpenDisplay(name);
  if (!display)
    throw std::runtime_error(std::string("cannot connect to the display \"") + name + "\".");
  XCloseDisplay(display);
}

namespace {
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
}  // namespace

unsigned long TopLevelWindowOf(unsigned long window) {
  if (!window) return 0;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 0;
  // A window that has gone is an answer (0), not an error that ends the host.
  XSync(display, False);
  const auto previous = XSetErrorHandler(IgnoreXError);
  Window current = window, result = 0;
  for (int depth = 0; depth < 64; ++depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == root || !parent) {
      result = current;
      break;
    }
    current = parent;
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return result;
}
