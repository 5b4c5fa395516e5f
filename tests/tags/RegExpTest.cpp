#include "tags/RegExp.h"

#include <gtest/gtest.h>

using kelto::tags::MatchDetails;
using kelto::tags::MatchResult;
using kelto::tags::RegExp;

namespace {

constexpr std::nullopt_t kUnset = std::nullopt;
constexpr std::nullopt_t kNoMatch = std::nullopt;

struct Case {
  std::string pattern;
  std::string input;
  std::optional<std::string> whole;                     // the matched text, or kNoMatch
  std::vector<std::optional<std::string>> groups = {};  // checked when given
};

void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE("pattern \"" + c.pattern + "\" on \"" + c.input + "\"");
    const auto compiled = RegExp::Compile(c.pattern);
    ASSERT_TRUE(compiled) << compiled.error << " at " << compiled.errorOffset;
    MatchDetails details;
    const MatchResult result = compiled.regexp->Search(c.input, &details);
    if (!c.whole) {
      EXPECT_EQ(result, MatchResult::NoMatch);
      continue;
    }
    ASSERT_EQ(result, MatchResult::Match);
    EXPECT_EQ(details.wholeText, *c.whole);
    if (!c.groups.empty()) {
      EXPECT_EQ(details.groupTexts, c.groups);
    }
  }
}

}  // namespace

// One table: a row per matching rule, grouped by rule family.
TEST(RegExp, MatchTable) {
  Check({
      // Literals and anchors.
      {"abc", "xxabcxx", "abc"},
      {"a.c", "a\nc", "a\nc"},
      {"a.c", "a\u00E9c", "a\u00E9c"},  // one character, two bytes
      {"cat|dog", "hotdog", "dog"},
      {"a(|b)c", "ac", "ac"},
      // Anchors only as first and last character.
      {"^abc", "abcd", "abc"},
      {"abc$", "xabc", "abc"},
      {"$", "ab", ""},
      {"a^b", "a^b", "a^b"},  // elsewhere they are ordinary characters
      {"a\\\\$", "xa\\", "a\\"},
      // ^ anchors the whole match; $ belongs to the alternative it ends.
      {"^a|b", "cb", kNoMatch},
      {"a|b$", "bc", kNoMatch},
      {"(a|b)$", "ac", kNoMatch},
      // Classes with ranges negation and escapes.
      {"[abc]+", "xxbcax", "bca"},
      {"[^a-c]+", "abxyc", "xy"},
      {"[]a]+", "x]a]", "]a]"},
      {"[\\d.]+", "v1.25x", "1.25"},
      {"[\\h]+", "zz0fFg", "0fF"},
      {"[\xC3\xA0-\xC3\xBF]+", "na\xC3\xAFve", "\xC3\xAF"},
      {"[x-zb-ea-c]+", "wedcbaz", "edcbaz"},  // overlapping ranges in any order
      // Repetition greedy non greedy and over empty matches.
      {"{a*?}", "aaa", "", {""}},
      {"{a?}a", "aa", "aa", {"a"}},
      {"<{.*}>", "<a><b>", "<a><b>", {"a><b"}},
      {"<{.*?}>", "<a><b>", "<a>", {"a"}},
      {"{.+?}{.+}", "abcd", "abcd", {"a", "bcd"}},
      // Braces group; they never count repetitions.
      {"a{2}", "aa", kNoMatch},
      {"a{2}", "a2", "a2", {"2"}},
      // Loops over empty matches end.
      {"{(a*)*}x", "x", "x", {""}},
      // An iteration that matches nothing does not count: the group keeps
      // the last real one.
      {"({a?})*b", "aab", "aab", {"a"}},
      {"{a*}*b", "ab", "ab", {"a"}},
      {"^{a*}+$", "", "", {""}},  // the one iteration a plus needs may be empty
      // Groups back references and negation.
      {"{a+}-{b+}", "xaa-bbb", "aa-bbb", {"aa", "bbb"}},
      {"{a}|{b}", "b", "b", {kUnset, "b"}},
      {"{a{b}c}", "abc", "abc", {"abc", "b"}},  // numbered by opening brace
      {"{a+}-\\0", "aa-aa", "aa-aa", {"aa"}},
      {"{a}?b\\0", "b", kNoMatch},  // a group that did not match matches nothing
      {"{a\\0}", "aa", kNoMatch},   // not yet captured inside itself
      {"{x}\\01", "xx1", "xx1"},    // one digit only
      // Negation consumes one character where the item fails.
      {"!a", "ab", "b"},
      {"x!a", "x", kNoMatch},  // needs a character
      {"^!(Gate)", "Gate-Valve", kNoMatch},
      {"^(!(abc))*$", "xxabxx", "xxabxx"},  // "does not contain abc"
      {"^(!(abc))*$", "xxabcx", kNoMatch},
      {"!a*", "bbb", kNoMatch},  // a* matches everywhere
      {"(!a)+", "aabca", "bc"},
      {"!{b}c", "bcac", "ac", {kUnset}},  // captures inside are dropped
      // Abbreviations.
      {"\\a+", "--x9Z--", "x9Z"},
      {"a\\b+b", "a \t b", "a \t b"},
      {"\\c+", "12abC3", "abC"},
      {"\\d+", "ab123c", "123"},
      {"0x\\h+", "0x1fAg", "0x1fA"},
      {"a\\nb", "a\r\nb", "a\r\nb"},
      {"a\\nb", "a\n\rb", kNoMatch},
      {"\\q", "say \"hi there\" now", "\"hi there\""},
      {"\\w", "12abc3", "abc"},
      {"{\\w}-{\\z}", "DN-150", "DN-150", {"DN", "150"}},
      // Any other escaped character is itself.
      {"\\*\\+\\?\\!\\|\\{x\\}\\(\\)\\[\\]", "*+?!|{x}()[]", "*+?!|{x}()[]"},
  });
}

TEST(RegExp, BadPatternsAreCompileErrorsWithOffsets) {
  const struct {
    std::string pattern;
    std::size_t offset;
  } cases[] = {
      {"x(a", 1}, {"a)", 1},   {"(a}", 0},  {"[]", 0},     {"a]", 1},    {"*a", 0},    {"a**", 2},
      {"a?+", 2}, {"a!|b", 1}, {"ab\\", 2}, {"{a}\\1", 3}, {"[z-a]", 1}, {"[\\w]", 1},
  };
  for (const auto& c : cases) {
    const auto r = RegExp::Compile(c.pattern);
    EXPECT_FALSE(r) << c.pattern;
    EXPECT_FALSE(r.error.empty()) << c.pattern;
    EXPECT_EQ(r.errorOffset, c.offset) << c.pattern << ": " << r.error;
  }
  // A back reference may come before its group; it is then unset when reached.
  const auto early = RegExp::Compile("\\0{a}");
  ASSERT_TRUE(early);
  EXPECT_EQ(early.regexp->Search("aa"), MatchResult::NoMatch);
}

TEST(RegExp, NestingIsBoundedAtCompileTime) {
  const auto nested = [](std::size_t depth, const std::string& open, const std::string& close) {
    std::string p;
    for (std::size_t i = 0; i < depth; ++i) p += open;
    p += "a";
    for (std::size_t i = 0; i < depth; ++i) p += close;
    return p;
  };
  const auto ok = RegExp::Compile(nested(200, "(", ")"));
  ASSERT_TRUE(ok) << ok.error;
  EXPECT_EQ(ok.regexp->Search("xa"), MatchResult::Match);
  EXPECT_FALSE(RegExp::Compile(nested(201, "(", ")")));
  EXPECT_FALSE(RegExp::Compile(nested(5000, "{", "}")));
  EXPECT_FALSE(RegExp::Compile(std::string(5000, '!') + "a"));
}

TEST(RegExp, WithoutBackReferencesEveryAnswerIsExactWhateverTheText) {
  // Patterns with exponentially many ways to fail, and a long text where a
  // step budget used to give up before the match near the end.
  const std::string as(5000, 'a');
  const std::string ones = std::string(1500, '1') + "x5.";
  const struct {
    const char* pattern;
    std::string text;
    MatchResult expected;
  } cases[] = {
      {"(a*)*b", as, MatchResult::NoMatch},     {"(a|a)*c", as, MatchResult::NoMatch},
      {"(a+)+b", as + "b", MatchResult::Match}, {"(.*)*(.*)*(.*)*Q1", as, MatchResult::NoMatch},
      {"[0-9]+\\.$", ones, MatchResult::Match}, {"^(!(abc))*$", as + "abc", MatchResult::NoMatch},
  };
  for (const auto& c : cases) {
    const auto re = RegExp::Compile(c.pattern);
    ASSERT_TRUE(re) << c.pattern;
    EXPECT_FALSE(re.regexp->HasBackReferences());
    // A budget of one step would stop any backtracking search at once.
    EXPECT_EQ(re.regexp->Search(c.text, nullptr, 1), c.expected) << c.pattern;
  }
}

TEST(RegExp, BackReferencesKeepTheStepBudgetAndSayWhenItRunsOut) {
  const auto slow = RegExp::Compile("{a|a}*\\0c");
  ASSERT_TRUE(slow.regexp->HasBackReferences());
  EXPECT_EQ(slow.regexp->Search(std::string(30, 'a')), MatchResult::Aborted);
  EXPECT_EQ(slow.regexp->Search("aaaaac", nullptr, 1000), MatchResult::Match);
  const auto refs = RegExp::Compile("{.*}\\0*\\0*x");
  EXPECT_EQ(refs.regexp->Search(std::string(3000, 'a')), MatchResult::Aborted);
}

TEST(RegExp, LongTextsNeedNoDeepCallStack) {
  std::string text(100000, 'a');
  text += "c";
  const auto re = RegExp::Compile("^{(a|b)*}c$");
  ASSERT_TRUE(re);
  MatchDetails d;
  ASSERT_EQ(re.regexp->Search(text, &d), MatchResult::Match);
  EXPECT_EQ(d.groups[0].end, 100000u);
  const auto neg = RegExp::Compile("^(!(xyz))*$");
  EXPECT_EQ(neg.regexp->Search(text), MatchResult::Match);
}
