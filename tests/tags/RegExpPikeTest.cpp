// The linear-time matcher must give the backtracking matcher's answers: the
// same match, the same match groups, for every pattern the two both run.
#include "tags/RegExpPike.h"

#include <gtest/gtest.h>

#include <string>

#include "tags/RegExpCompiler.h"
#include "tags/RegExpMatcher.h"

namespace kelto::tags::regexp {
namespace {

std::u32string Wide(const std::string& s) { return std::u32string(s.begin(), s.end()); }

TEST(RegExpPike, GivesTheBacktrackingAnswerAndGroups) {
  const char* patterns[] = {
      "{a|ab}{c|bcd}{d*}", "{a*}*b", "{a*?}{a*}", "{(a|)*}x", "^{.*?}{b+}$", "{x?}*{x}+",
      "x!ay",              "^!(Gate)", "{!(ab)}+", "!!a{.}", "{a}?b", "{[0-9]+}\\.$",
      "{\\q}|{\\w}",       "a\\nb", "{(!b)*}c", "^(!(abc))*${}", "{.}{.}?$", "{(ab|a)(bc|c)?}+",
      "{a+?}{a*?}b",       "(!{a}b)c",
  };
  const char* texts[] = {"",     "a",      "ab",   "abcd", "aab",       "xay",  "xby",
                         "Gate", "Ball-V", "abab", "b",    "12.3.",     "'q'w", "a\r\nb",
                         "aaac", "xabcx",  "xx",   "abcab", "aaab",     "xabc", "cab c"};
  for (const char* pattern : patterns) {
    Program program;
    CompileError error;
    ASSERT_TRUE(Compile(Wide(pattern), program, error)) << pattern << ": " << error.message;
    ASSERT_TRUE(LinearTime(program));
    for (const char* text : texts) {
      SCOPED_TRACE(std::string(pattern) + " on \"" + text + "\"");
      const std::u32string subject = Wide(text);
      Found slow, fast;
      const Outcome expected = Matcher(program).Search(subject, 1'000'000, &slow);
      ASSERT_NE(expected, Outcome::Aborted);
      ASSERT_EQ(PikeMatcher(program).Search(subject, &fast), expected);
      if (expected != Outcome::Match) continue;
      EXPECT_EQ(fast.begin, slow.begin);
      EXPECT_EQ(fast.end, slow.end);
      EXPECT_EQ(fast.groups, slow.groups);
    }
  }
}

}  // namespace
}  // namespace kelto::tags::regexp
