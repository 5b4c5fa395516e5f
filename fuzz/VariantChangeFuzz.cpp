// libFuzzer harness for VariantChangeType. The input is: a source type
// (byte 0, from the value types below), a target type (byte 1, any VARTYPE
// number, so bad and unsupported targets are asked for too), the flags
// (byte 2) and the payload: the source's bytes for a number, a date, a
// currency or a decimal, UTF-8 text for a string. The conversion must answer
// with an HRESULT, give the target type on success and leave the destination
// empty on failure; converting in place must give the same answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr VARTYPE kSources[] = {VT_EMPTY, VT_NULL, VT_I1,  VT_I2,   VT_I4,   VT_I8,
                                VT_UI1,   VT_UI2,  VT_UI4, VT_UI8,  VT_INT,  VT_UINT,
                                VT_R4,    VT_R8,   VT_CY,  VT_DATE, VT_BSTR, VT_BOOL,
                                VT_ERROR, VT_DECIMAL};

std::size_t ValueBytes(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    default:
      return 8;
  }
}

// Only the bytes the type uses: converting in place leaves the rest of the
// union as it was.
bool SameValue(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BSTR:
      return kelto::com::BstrView(a.bstrVal) == kelto::com::BstrView(b.bstrVal);
    case VT_DECIMAL:
      return a.decVal.scale == b.decVal.scale && a.decVal.sign == b.decVal.sign &&
             a.decVal.Hi32 == b.decVal.Hi32 && a.decVal.Lo64 == b.decVal.Lo64;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return a.punkVal == b.punkVal;
    default:
      return std::memcmp(&a.llVal, &b.llVal, ValueBytes(a.vt)) == 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const VARTYPE from = kSources[data[0] % (sizeof kSources / sizeof kSources[0])];
  const auto to = static_cast<VARTYPE>(data[1]);
  const auto flags = static_cast<USHORT>(data[2] & 0x0F);
  const std::uint8_t* payload = data + 3;
  const std::size_t length = size - 3;

  _variant_t source;
  if (from == VT_BSTR) {
    // The whole payload, embedded NULs included.
    source.vt = VT_BSTR;
    source.bstrVal =
        kelto::com::AllocBstr(std::string_view(reinterpret_cast<const char*>(payload), length));
  } else if (from == VT_DECIMAL) {
    std::memcpy(&source.decVal, payload, std::min(length, sizeof(DECIMAL)));
    source.vt = VT_DECIMAL;
  } else {
    std::memcpy(&source.llVal, payload, std::min(length, sizeof(LONGLONG)));
    source.vt = from;
  }

  _variant_t result;
  const HRESULT hr = VariantChangeType(&result, &source, flags, to);
  if (SUCCEEDED(hr))
    Check(result.vt == to);
  else
    Check(result.vt == VT_EMPTY);

  _variant_t inPlace(source);
  const HRESULT again = VariantChangeType(&inPlace, &inPlace, flags, to);
  Check(again == hr);
  if (SUCCEEDED(hr)) Check(SameValue(inPlace, result));
  return 0;
}
