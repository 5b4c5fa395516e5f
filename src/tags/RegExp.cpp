#include "tags/RegExp.h"

#include <algorithm>

#include "tags/RegExpCompiler.h"
#include "tags/RegExpMatcher.h"
#include "tags/RegExpPike.h"

namespace kelto::tags {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80         ? 1
                      : (b >> 5) == 6  ? 2
                      : (b >> 4) == 14 ? 3
                      : (b >> 3) == 30 ? 4
                                       : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool valid = len != 0 && i + len <= s.size();
    for (std::size_t k = 1; valid && k < len; ++k) {
      const unsigned char cb = static_cast<unsigned char>(s[i + k]);
      valid = (cb & 0xC0) == 0x80;
      c = (c << 6) | (cb & 0x3F);
    }
    // Reject overlong forms, surrogates and values past U+10FFFF.
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    out.push_back(valid ? c : kReplacement);
    i += valid ? len : 1;
  }
  return out;
}

std::u32string DecodeUtf16(std::u16string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      out.push_back(0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
      ++i;
    } else {
      out.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : char32_t(u));
    }
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

RegExpCompileResult RegExp::Compile(std::u32string_view pattern) {
  auto program = std::make_shared<regexp::Program>();
  regexp::CompileError error;
  RegExpCompileResult result;
  if (regexp::Compile(pattern, *program, error)) {
    result.regexp = RegExp(std::move(program));
  } else {
    result.error = std::move(error.message);
    result.errorOffset = error.offset;
  }
  return result;
}

RegExpCompileResult RegExp::Compile(std::string_view utf8Pattern) {
  return Compile(std::u32string_view(DecodeUtf8(utf8Pattern)));
}

RegExpCompileResult RegExp::Compile(std::u16string_view pattern) {
  return Compile(std::u32string_view(DecodeUtf16(pattern)));
}

namespace {

regexp::Outcome Backtrack(const regexp::Program& program, std::u32string_view text,
                          std::size_t stepLimit, std::size_t* allowance, regexp::Found* found) {
  regexp::Matcher matcher(program);
  const std::size_t limit = allowance ? std::min(stepLimit, *allowance) : stepLimit;
  const regexp::Outcome outcome = matcher.Search(text, limit, found);
  if (allowance) *allowance -= std::min(*allowance, matcher.Steps());
  return outcome;
}

}  // namespace

MatchResult RegExp::Search(std::u32string_view text, MatchDetails* details, std::size_t stepLimit,
                           std::size_t* allowance) const {
  regexp::Found found;
  regexp::Found* const where = details ? &found : nullptr;
  const regexp::Outcome outcome =
      regexp::LinearTime(*program_)
          ? regexp::PikeMatcher(*program_).Search(text, where, allowance)
          : Backtrack(*program_, text, stepLimit, allowance, where);
  switch (outcome) {
    case regexp::Outcome::NoMatch:
      return MatchResult::NoMatch;
    case regexp::Outcome::Aborted:
      return MatchResult::Aborted;
    case regexp::Outcome::Match:
      break;
  }
  if (details) {
    const auto text8 = [&](std::size_t b, std::size_t e) {
      return EncodeUtf8(text.substr(b, e - b));
    };
    details->whole = {found.begin, found.end};
    details->wholeText = text8(found.begin, found.end);
    details->groups.clear();
    details->groupTexts.clear();
    for (const auto& [b, e] : found.groups) {
      if (b == regexp::kUnset) {
        details->groups.emplace_back();
        details->groupTexts.emplace_back();
      } else {
        details->groups.push_back({b, e});
        details->groupTexts.emplace_back(text8(b, e));
      }
    }
  }
  return MatchResult::Match;
}

MatchResult RegExp::Search(std::string_view utf8, MatchDetails* details, std::size_t stepLimit,
                           std::size_t* allowance) const {
  return Search(std::u32string_view(DecodeUtf8(utf8)), details, stepLimit, allowance);
}

MatchResult RegExp::Search(std::u16string_view text, MatchDetails* details,
                           std::size_t stepLimit, std::size_t* allowance) const {
  return Search(std::u32string_view(DecodeUtf16(text)), details, stepLimit, allowance);
}

bool RegExp::HasBackReferences() const { return !regexp::LinearTime(*program_); }

std::size_t RegExp::groupCount() const { return program_->groupCount; }

}  // namespace kelto::tags
