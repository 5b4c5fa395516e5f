// GUID text forms and the compile-time link from an interface type to its IID.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/Types.h"

namespace kelto::com {

namespace detail {
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace detail

// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", with or without braces.
// Returns nothing for any other text.
constexpr std::optional<GUID> ParseGuid(std::string_view s) {
  if (s.size() == 38) {
    if (s.front() != '{' || s.back() != '}') return std::nullopt;
    s = s.substr(1, 36);
  }
  if (s.size() != 36) return std::nullopt;
  if (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') return std::nullopt;
  std::uint8_t bytes[16] = {};
  int n = 0;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == '-') {
      ++i;
      continue;
    }
    const int hi = detail::HexDigit(s[i]);
    const int lo = detail::HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  GUID g{};
  g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | bytes[3];
  g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

// A GUID from a literal, checked at compile time.
consteval GUID MakeGuid(const char* text) {
  std::string_view s(text);
  auto g = ParseGuid(s);
  if (!g) throw "malformed GUID literal";  // not a constant expression: a compile error
  return *g;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry and
// StringFromGUID2 write it.
std::string FormatGuid(const GUID& g);
std::u16string FormatGuid16(const GUID& g);

// The IID of an interface type and the interface it derives from. Each
// interface declares both with KELTO_INTERFACE_IID right after its definition;
// QueryInterface implementations walk the parent chain, so an object that
// implements IStream also answers ISequentialStream and IUnknown.
template <class T>
struct InterfaceId;

template <class T>
constexpr const IID& IidOf() {
  return InterfaceId<T>::value;
}

}  // namespace kelto::com

#define KELTO_INTERFACE_IID(Interface, Parent, text)                      \
  template <>                                                             \
  struct kelto::com::InterfaceId<Interface> {                             \
    using parent = Parent;                                                \
    static constexpr IID value = ::kelto::com::MakeGuid(text);            \
  }
