#include "kelto/data/JsonText.h"

namespace kelto::data::json_text {

void AppendString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void AppendFixed(std::string& out, std::int64_t value, int decimals) {
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::uint64_t whole = magnitude / scale;
  std::uint64_t fraction = magnitude % scale;
  if (value < 0) out += '-';
  out += std::to_string(whole);
  if (fraction == 0) return;
  std::string digits = std::to_string(fraction);
  digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  out += '.';
  out += digits;
}

}  // namespace kelto::data::json_text
