// The view's options dialog: a modal property sheet captioned "3D View" with
// the one page "3D &Rendering" (CRendererPropPg) editing the object's
// graphics options, shown by the toolkit plugin (PropertySheetPlugin.h).
//
// The plugin is looked for next to the library or program this code is in,
// then in the lib folder beside that folder (a build tree's bin/ and lib/),
// then by name through the loader's search path. It is loaded once and
// stays loaded (toolkits do not survive being unloaded).
#pragma once

#include <string>

#include "platform/com/Interfaces.h"

// Shows the dialog and returns once it is closed: true after OK, false after
// Cancel. ownerWindow, an X11 window of the display the dialog goes to (0 for
// none), is the window the dialog belongs to: the window manager keeps the
// dialog above it. Throws std::runtime_error with a message a person can act
// on when the plugin is missing or the dialog cannot be shown (no display),
// and what the page throws for an object without graphics options.
bool ShowOptionsDialog(IUnknown* object, unsigned long ownerWindow = 0);

// Where the plugin is loaded from ("" until it is).
std::string OptionsDialogPluginPath();
