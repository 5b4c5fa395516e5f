// IEnumVARIANT over copies of VARIANTs: the enumerator that _NewEnum members
// hand out. The items are copied (or adopted) when the enumerator is made,
// so the collection may change afterwards without disturbing scripts that
// are iterating it. Next hands out copies the caller clears.
#pragma once

#include <span>
#include <vector>

#include "platform/com/Interfaces.h"

namespace kelto::com {

// Makes an enumerator over copies (VariantCopy) of items. Fails with the
// copy's HRESULT (e.g. DISP_E_BADVARTYPE) or E_OUTOFMEMORY; *ppEnum is null
// then.
HRESULT CreateEnumVariant(std::span<const VARIANT> items, IEnumVARIANT** ppEnum) noexcept;

// Makes an enumerator that takes ownership of items (no copy). The vector is
// left empty whatever happens; on failure its VARIANTs are cleared.
HRESULT CreateEnumVariant(std::vector<VARIANT>&& items, IEnumVARIANT** ppEnum) noexcept;

}  // namespace kelto::com
