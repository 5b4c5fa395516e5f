// BSTR: a 4-byte byte length, then UTF-16 characters, then a null character.
// The BSTR points at the first character. A null BSTR stands for "".
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/com/Api.h"

namespace {

struct BstrHeader {
  std::uint32_t byteLength;
};

BSTR AllocBytes(const void* data, std::size_t bytes) {
  // Room for the prefix, the data and a two-byte terminator (plus one byte so
  // that an odd byte length still ends in a whole null character).
  if (bytes > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
  auto* raw = static_cast<unsigned char*>(std::malloc(sizeof(BstrHeader) + bytes + 3));
  if (!raw) return nullptr;
  const auto len = static_cast<std::uint32_t>(bytes);
  std::memcpy(raw, &len, sizeof len);
  unsigned char* text = raw + sizeof(BstrHeader);
  if (data)
    std::memcpy(text, data, bytes);
  else
    std::memset(text, 0, bytes);
  text[bytes] = text[bytes + 1] = text[bytes + 2] = 0;
  return reinterpret_cast<BSTR>(text);
}

unsigned char* Block(BSTR b) { return reinterpret_cast<unsigned char*>(b) - sizeof(BstrHeader); }

}  // namespace

KELTO_API BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  std::size_t n = 0;
  while (psz[n]) ++n;
  return AllocBytes(psz, n * sizeof(OLECHAR));
}

KELTO_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  return AllocBytes(strIn, std::size_t{ui} * sizeof(OLECHAR));
}

KELTO_API BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocBytes(psz, len); }

KELTO_API BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (!pbstr) return FALSE;
  BSTR fresh = SysAllocStringLen(psz, len);
  if (!fresh && (psz || len)) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return TRUE;
}

KELTO_API BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (!pbstr) return FALSE;
  BSTR fresh = SysAllocString(psz);
  if (!fresh && psz) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return TRUE;
}

KELTO_API void SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(Block(bstrString));
}

KELTO_API UINT SysStringByteLen(BSTR bstr) {
  if (!bstr) return 0;
  std::uint32_t len;
  std::memcpy(&len, Block(bstr), sizeof len);
  return len;
}

KELTO_API UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
