// The keys some classes of the module carry below their CLSID key besides
// the standard ones (kelto::com::ClassEntry::extraKeys).
#pragma once

#include "platform/com/ClassEntry.h"

namespace kelto3d {

// The 3D view control: containers list it among their controls and insertable
// objects, show bitmap 106 of the module in their toolboxes, and create it
// with the status bits 0x20191 (set client site first, activate when visible,
// inside-out, cannot link inside, recompose on resize).
inline constexpr kelto::com::ClassKey kViewControlKeys[] = {
    {"Control"},
    {"Insertable"},
    {"ToolboxBitmap32", "%MODULE%, 106"},
    {"MiscStatus", "0"},
    {"MiscStatus\\1", "131473"},
    {"Version", "1.0"},
};

}  // namespace kelto3d
