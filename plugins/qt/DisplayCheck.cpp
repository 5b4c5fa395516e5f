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
