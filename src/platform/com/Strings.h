// Text conversions between the UTF-8 the project works in and the UTF-16 of
// BSTR and OLECHAR strings. Invalid sequences become U+FFFD; nothing throws.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/Types.h"

namespace kelto::com {

std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// A view of a BSTR (a null BSTR is the empty string) and of a null-terminated
// OLECHAR string.
std::u16string_view BstrView(BSTR b);
std::u16string_view OleView(LPCOLESTR s);
inline std::string BstrToUtf8(BSTR b) { return Utf16ToUtf8(BstrView(b)); }

// A new BSTR (caller frees with SysFreeString).
BSTR AllocBstr(std::u16string_view s);
BSTR AllocBstr(std::string_view utf8);
inline BSTR AllocBstr(const char* utf8) { return AllocBstr(std::string_view(utf8)); }

}  // namespace kelto::com
