// What the plugin asks the X server itself. Kept apart from the Qt code:
// Xlib's macros (Bool, Status, ...) clash with Qt's headers.
//
// Whether widgets can be shown when no Qt application object exists yet: Qt
// ends the process when it finds no display, so the plugin looks first.
#pragma once

// Throws std::runtime_error saying why there is no display to show on.
void CheckDisplay();

// The top-level window that holds window (window itself when it is one), on
// the display DISPLAY names; 0 when there is no such window or no display.
// A dialog is made transient for the top-level window: window managers keep
// transients above the frame they belong to, not above a child inside it.
unsigned long TopLevelWindowOf(unsigned long window);
