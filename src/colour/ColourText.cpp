#include "colour/ColourText.h"

#include <array>
#include <string>
#include <utility>

namespace kelto::colour {

namespace {

constexpr std::array<std::pair<std::string_view, std::int32_t>, 8> kNames = {{
    {"black", 0x000000},
    {"red", 0x0000FF},
    {"green", 0x00FF00},
    {"blue", 0xFF0000},
    {"yellow", 0x00FFFF},
    {"magenta", 0xFF00FF},
    {"cyan", 0xFFFF00},
    {"white", 0xFFFFFF},
}};

// The C locale's white space, as scanf skips it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads text as scanf reads its input, one directive at a time.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : m_text(text) {}

  void SkipSpace() {
    while (m_pos < m_text.size() && IsSpace(m_text[m_pos])) ++m_pos;
  }

  bool Literal(char c) {
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }

  // %i. The input item is the longest prefix of a valid integer; if that
  // prefix is not itself an integer ("-", "0x") the conversion fails, as the
  // C library's scanf defines it (strtol would instead read the "0" of "0x").
  // Digits accumulate in unsigned 32-bit arithmetic, which wraps: the
  // low 32 bits of the value are kept, without undefined behaviour.
  std::optional<std::uint32_t> Integer() {
    SkipSpace();
    bool negative = false;
    if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) {
      negative = m_text[m_pos] == '-';
      ++m_pos;
    }
    int base = 10;
    bool anyDigit = false;
    if (m_pos < m_text.size() && m_text[m_pos] == '0') {
      ++m_pos;
      anyDigit = true;
      base = 8;
      if (m_pos < m_text.size() && (m_text[m_pos] == 'x' || m_text[m_pos] == 'X')) {
        ++m_pos;
        base = 16;
        anyDigit = false;  // "0x" alone is only a prefix
      }
    }
    std::uint32_t value = 0;
    while (m_pos < m_text.size() && DigitValue(m_text[m_pos]) < base) {
      value = value * static_cast<std::uint32_t>(base) +
              static_cast<std::uint32_t>(DigitValue(m_text[m_pos]));
      anyDigit = true;
      ++m_pos;
    }
    if (!anyDigit) return std::nullopt;
    return negative ? 0u - value : value;
  }

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

std::optional<std::int32_t> ParseTriple(std::string_view text) {
  Scanner in(text);
  std::uint32_t parts[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      in.SkipSpace();
      if (!in.Literal(',')) return std::nullopt;
    }
    const std::optional<std::uint32_t> part = in.Integer();
    if (!part) return std::nullopt;
    parts[i] = *part;
  }
  return static_cast<std::int32_t>(parts[0] | (parts[1] << 8) | (parts[2] << 16));
}

}  // namespace

std::optional<std::int32_t> ParseColourText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const auto& [name, value] : kNames)
    if (lower == name) return value;
  return ParseTriple(text);
}

std::int32_t ColourFromText(std::string_view text) {
  return ParseColourText(text).value_or(kWhite);
}

}  // namespace kelto::colour
