// The X11 side of Qt the view needs, kept apart from Qt's headers (Xlib's
// macros clash with them).
#pragma once

#include <string>

namespace viewer {

// Makes the X server see every request Qt has made (a new native window in
// particular) and returns the name of Qt's display; "" when Qt does not run
// on X11.
std::string SyncQtDisplay();

}  // namespace viewer
