// Finding the component modules. The viewer is an outside host: it maps
// libkelto3d.so and libkelto.so into the process (a mapped module serves its
// classes by ProgID) and reaches them only through the runtime.
#pragma once

#include <QString>

namespace viewer {

// Looks in $KELTO_MODULE_DIR, then in the library folder beside the
// program's (installed or in the build tree), then on the loader's search
// path. False with *error naming what was tried.
bool LoadModules(QString* error);

}  // namespace viewer
