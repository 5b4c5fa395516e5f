// Whether widgets can be shown when no Qt application object exists yet. Qt
// ends the process when it finds no display, so the plugin looks first. Kept
// apart from the Qt code: Xlib's macros (Bool, Status, ...) clash with Qt's
// headers.
#pragma once

// Throws std::runtime_error saying why there is no display to show on.
void CheckDisplay();
