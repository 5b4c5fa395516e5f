#include "X11Display.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace viewer {

std::string SyncQtDisplay() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return {};
  XSync(display, False);
  return DisplayString(display);
}

}  // namespace viewer
