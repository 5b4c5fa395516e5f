// In-memory structured storage (StgCreateMemoryStorage): an IStorage holding
// named streams and nested storages, the container IPersistStorage objects
// save into.
//
// Rules kept from compound files, so that what works here would also work
// against a storage on disk:
// - element names are compared case-insensitively and keep the case they were
//   created with; the folding covers ASCII and Latin-1 letters;
// - a name is 1 to 31 characters and contains none of / \ : ! (otherwise
//   kStgInvalidName);
// - CreateStream / CreateStorage on an existing name fail with
//   STG_E_FILEALREADYEXISTS unless the mode has STGM_CREATE, which replaces
//   the element (whatever its kind); OpenStream / OpenStorage of a missing
//   name (or one of the other kind) fail with STG_E_FILENOTFOUND.
// Deliberately simpler than compound files:
// - no share modes: an element may be open several times; all open streams
//   of one element share its bytes, each with its own position;
// - a stream or storage that stays open after its element was destroyed or
//   replaced keeps working on the detached contents;
// - Commit and Revert do nothing (every change is immediate); CopyTo,
//   MoveElementTo and SetElementTimes answer E_NOTIMPL;
// - EnumElements lists elements in the order they were created.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/Interfaces.h"

namespace kelto::com {

constexpr HRESULT kStgInvalidName = MakeHResult(0x800300FC);  // STG_E_INVALIDNAME

// Folds a storage element name for comparison.
std::u16string FoldElementName(std::u16string_view name);

}  // namespace kelto::com
