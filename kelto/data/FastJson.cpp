#include "kelto/data/FastJson.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kelto::data {

namespace {

using Sax = nlohmann::json_sax<nlohmann::json>;

// Bytes a string holds as they are: printable ASCII but the quote and the
// backslash.
constexpr auto kSimple = [] {
  std::array<bool, 256> simple{};
  for (int c = 0x20; c < 0x80; ++c) simple[c] = c != '"' && c != '\\';
  return simple;
}();

class Reader {
 public:
  Reader(std::string_view text, Sax& sax) : p_(text.data()), end_(text.data() + text.size()), sax_(sax) {}

  // Iterative, so that deep nesting costs memory, not the stack: the
  // handler decides how deep a file may go.
  bool Run() {
    SkipSpace();
    for (;;) {
      const Step step = Value();
      if (step == Step::kStop) return false;
      if (step == Step::kOpened) continue;
      // After a value: close what ends here, then expect the next value.
      for (;;) {
        SkipSpace();
        if (open_.empty()) return p_ == end_;
        if (p_ == end_) return false;
        const bool inObject = open_.back();
        if (*p_ == ',') {
          ++p_;
          SkipSpace();
          if (inObject && !Key()) return false;
          break;
        }
        if (*p_ != (inObject ? '}' : ']')) return false;
        ++p_;
        open_.pop_back();
        if (inObject) sax_.end_object();
        else sax_.end_array();
      }
    }
  }

 private:
  void SkipSpace() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }

  enum class Step { kValue, kOpened, kStop };

  // A whole value, or the opening of a container that is not empty (for an
  // object, its first key too): a value comes next.
  Step Value() {
    if (p_ == end_) return Step::kStop;
    switch (*p_) {
      case '{':
        ++p_;
        sax_.start_object(static_cast<std::size_t>(-1));
        SkipSpace();
        if (p_ != end_ && *p_ == '}') {
          ++p_;
          sax_.end_object();
          return Step::kValue;
        }
        open_.push_back(true);
        return Key() ? Step::kOpened : Step::kStop;
      case '[':
        ++p_;
        sax_.start_array(static_cast<std::size_t>(-1));
        SkipSpace();
        if (p_ != end_ && *p_ == ']') {
          ++p_;
          sax_.end_array();
          return Step::kValue;
        }
        open_.push_back(false);
        return Step::kOpened;
      case '"':
        if (!String()) return Step::kStop;
        sax_.string(text_);
        return Step::kValue;
      case 't':
        if (!Literal("true")) return Step::kStop;
        sax_.boolean(true);
        return Step::kValue;
      case 'f':
        if (!Literal("false")) return Step::kStop;
        sax_.boolean(false);
        return Step::kValue;
      case 'n':
        if (!Literal("null")) return Step::kStop;
        sax_.null();
        return Step::kValue;
      default:
        return Number() ? Step::kValue : Step::kStop;
    }
  }

  // "name" : — the key is given before the colon is checked, as nlohmann does.
  bool Key() {
    if (p_ == end_ || *p_ != '"' || !String()) return false;
    sax_.key(text_);
    SkipSpace();
    if (p_ == end_ || *p_ != ':') return false;
    ++p_;
    SkipSpace();
    return true;
  }

  bool Literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::string_view(p_, word.size()) != word)
      return false;
    p_ += word.size();
    return true;
  }

  // Reads the string at p_ (its opening quote) into text_.
  bool String() {
    const char* start = ++p_;
    while (p_ != end_ && kSimple[static_cast<unsigned char>(*p_)]) ++p_;
    if (p_ == end_) return false;
    text_.assign(start, p_);
    while (*p_ != '"') {
      if (!Plain(*p_) && *p_ != '\\') return false;
      if (*p_ == '\\') {
        if (++p_ == end_) return false;
        switch (*p_) {
          case '"': text_ += '"'; break;
          case '\\': text_ += '\\'; break;
          case '/': text_ += '/'; break;
          case 'b': text_ += '\b'; break;
          case 'f': text_ += '\f'; break;
          case 'n': text_ += '\n'; break;
          case 'r': text_ += '\r'; break;
          case 't': text_ += '\t'; break;
          default: return false;  // \u and errors
        }
      } else {
        text_ += *p_;
      }
      if (++p_ == end_) return false;
    }
    ++p_;
    return true;
  }
  // Printable ASCII: control characters are errors, other bytes UTF-8 that
  // nlohmann validates.
  static bool Plain(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80;
  }

  static bool Digit(char c) { return c >= '0' && c <= '9'; }

  // The JSON number grammar; an integer is given as nlohmann gives it
  // (unsigned, or signed when negative), anything else as a double.
  bool Number() {
    const char* start = p_;
    const bool negative = *p_ == '-';
    if (negative) ++p_;
    if (p_ == end_ || !Digit(*p_)) return false;
    if (*p_ == '0') {
      ++p_;
    } else {
      while (p_ != end_ && Digit(*p_)) ++p_;
    }
    const char* integerEnd = p_;
    bool integral = true;
    if (p_ != end_ && *p_ == '.') {
      integral = false;
      if (++p_ == end_ || !Digit(*p_)) return false;
      while (p_ != end_ && Digit(*p_)) ++p_;
    }
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      integral = false;
      if (++p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (p_ == end_ || !Digit(*p_)) return false;
      while (p_ != end_ && Digit(*p_)) ++p_;
    }
    if (integral) {
      const char* digits = start + (negative ? 1 : 0);
      if (integerEnd - digits > 18) return false;
      std::uint64_t value = 0;
      for (const char* d = digits; d != integerEnd; ++d)
        value = value * 10 + static_cast<std::uint64_t>(*d - '0');
      if (negative)
        sax_.number_integer(-static_cast<std::int64_t>(value));
      else
        sax_.number_unsigned(value);
      return true;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(start, p_, value);
    if (error != std::errc() || end != p_ || !std::isfinite(value)) return false;
    if (value != 0 && !std::isnormal(value)) return false;
    text_.assign(start, p_);
    sax_.number_float(value, text_);
    return true;
  }

  const char* p_;
  const char* end_;
  Sax& sax_;
  std::string text_;
  std::vector<bool> open_;  // true: an object
};

}  // namespace

bool FastSaxParse(std::string_view text, Sax& handler) { return Reader(text, handler).Run(); }

}  // namespace kelto::data
