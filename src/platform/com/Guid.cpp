#include "platform/com/Guid.h"

#include <cstdio>

namespace kelto::com {

std::string FormatGuid(const GUID& g) {
  char buf[39];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return std::string(buf, 38);
}

std::u16string FormatGuid16(const GUID& g) {
  const std::string narrow = FormatGuid(g);
  return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace kelto::com
