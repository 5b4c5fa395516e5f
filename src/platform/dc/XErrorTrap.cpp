#include "platform/dc/XErrorTrap.h"

#include <X11/Xlib.h>

namespace kelto::dc {

namespace {
// The innermost live trap; traps are strictly nested (they are scoped objects
// on one thread), so a single pointer and the outer links are enough.
CXErrorTrap* g_innermost = nullptr;
}  // namespace

struct TrapAccess {
  static int Handle(Display* display, XErrorEvent* event) {
    for (CXErrorTrap* t = g_innermost; t; t = t->outer_) {
      if (t->display_ == display) {
        if (t->error_code_ == 0) t->error_code_ = event->error_code ? event->error_code : -1;
        return 0;
      }
    }
    // Not ours: whoever handled errors before the outermost trap decides.
    CXErrorTrap* outermost = g_innermost;
    while (outermost && outermost->outer_) outermost = outermost->outer_;
    auto previous =
        outermost ? reinterpret_cast<XErrorHandler>(outermost->previous_handler_) : nullptr;
    return previous ? previous(display, event) : 0;
  }
};

CXErrorTrap::CXErrorTrap(_XDisplay* display) : display_(display), outer_(g_innermost) {
  if (display_) XSync(display_, False);
  previous_handler_ = reinterpret_cast<void*>(XSetErrorHandler(&TrapAccess::Handle));
  g_innermost = this;
}

CXErrorTrap::~CXErrorTrap() {
  if (display_) XSync(display_, False);
  g_innermost = outer_;
  XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous_handler_));
}

bool CXErrorTrap::Failed() {
  if (display_) XSync(display_, False);
  return error_code_ != 0;
}

}  // namespace kelto::dc
