// The regular expressions of the tag engine's expected values.
//
// The dialect (full description with examples in docs/tag-regexp.md):
//   ^ (first character only) anchors at the start; $ (last character only)
//   matches the end; . any character; [a-z] [^0-9] classes; ( ) groups;
//   { } groups that capture, numbered from 0 by their opening brace; \0 … \9
//   back references; | alternatives; * + ? greedy, *? +? ?? non-greedy;
//   !item negation; \a \b \c \d \h \n \q \w \z abbreviations; a backslash
//   before any other character takes it literally. Braces never count
//   repetitions. Matching is case-sensitive and works on characters (Unicode
//   code points), whatever encoding the text arrives in.
//
// Negation: `!item` holds at a position where the item cannot match (in any
// way) and then consumes exactly one character; it fails at the end of the
// text. So "!a" is any character but "a", and "^!(Gate)" a text that does not
// begin with "Gate" (and is not empty).
//
// Searching tries each start position from the first onward and reports the
// first match found there (the match need not reach the end of the text unless
// the pattern ends with $). An expression without back references runs as a
// Pike VM (RegExpPike.h): time linear in the text for a given pattern, no
// budget, always an answer. Back references make matching a hard problem, so
// an expression with them is searched by backtracking with a work bound:
// after `stepLimit` steps (default kDefaultStepLimit, over the whole search)
// it stops with MatchResult::Aborted. Aborted is not an answer: callers report
// it (the tag engine makes it an evaluation error naming the expression).
//
// `allowance`, when given, is the caller's remaining work over many searches
// (a whole rule-set evaluation): every search, linear or not, takes its steps
// from it and stops with Aborted when it runs out.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelto::tags {

namespace regexp {
struct Program;
}

enum class MatchResult {
  Match,
  NoMatch,
  Aborted,  // a work bound (stepLimit, allowance) ran out before an answer was found
};

// A stretch of the searched text, in characters from its start.
struct Span {
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  std::size_t begin = npos;
  std::size_t end = npos;
  bool matched() const { return begin != npos; }
};

struct MatchDetails {
  Span whole;
  std::string wholeText;  // UTF-8
  // One entry per { } group, in the order of their opening braces; a group
  // that took no part in the match has an unmatched span and no text.
  std::vector<Span> groups;
  std::vector<std::optional<std::string>> groupTexts;  // UTF-8
};

struct RegExpCompileResult;

class RegExp {
 public:
  static constexpr std::size_t kDefaultStepLimit = 1'000'000;

  // Compiles a pattern given as UTF-8 or UTF-16 (invalid sequences stand for
  // U+FFFD). Never throws for a bad pattern: the result says what is wrong.
  static RegExpCompileResult Compile(std::string_view utf8Pattern);
  static RegExpCompileResult Compile(std::u16string_view pattern);
  static RegExpCompileResult Compile(std::u32string_view pattern);

  // Searches `text` (UTF-8, UTF-16 or UTF-32). `details`, when given, receives
  // the match on MatchResult::Match and is left alone otherwise.
  MatchResult Search(std::u32string_view text, MatchDetails* details = nullptr,
                     std::size_t stepLimit = kDefaultStepLimit,
                     std::size_t* allowance = nullptr) const;
  MatchResult Search(std::string_view utf8, MatchDetails* details = nullptr,
                     std::size_t stepLimit = kDefaultStepLimit,
                     std::size_t* allowance = nullptr) const;
  MatchResult Search(std::u16string_view text, MatchDetails* details = nullptr,
                     std::size_t stepLimit = kDefaultStepLimit,
                     std::size_t* allowance = nullptr) const;

  // True when the expression has back references: only then can a search
  // stop at `stepLimit`.
  bool HasBackReferences() const;

  // Number of { } match groups.
  std::size_t groupCount() const;

 private:
  explicit RegExp(std::shared_ptr<const regexp::Program> program) : program_(std::move(program)) {}

  std::shared_ptr<const regexp::Program> program_;
};

struct RegExpCompileResult {
  std::optional<RegExp> regexp;  // engaged when the pattern compiled
  std::string error;             // otherwise, what is wrong
  std::size_t errorOffset = 0;   // and where, in characters of the pattern

  explicit operator bool() const { return regexp.has_value(); }
};

}  // namespace kelto::tags
