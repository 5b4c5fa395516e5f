// Splitting aspect expressions into member calls: segment and argument
// boundaries, quoting, and the text the split skips.
#include "tags/TagExpression.h"

#include <gtest/gtest.h>

using kelto::tags::ExpressionSegment;
using kelto::tags::SplitExpression;

namespace {

struct SplitCase {
  std::string expression;
  std::vector<ExpressionSegment> segments;
};

std::string Dump(const std::vector<ExpressionSegment>& segments) {
  std::string out;
  for (const auto& s : segments) {
    out += "[" + s.name;
    for (const auto& a : s.arguments) out += " <" + a + ">";
    out += "]";
  }
  return out;
}

TEST(TagExpression, SplitsSegmentsAndArgumentsAndSkipsStrayQuotes) {
  const std::vector<SplitCase> cases = {
      {R"(Attributes("SPINDLE-DIRECTION").Value)",
       {{"Attributes", {"SPINDLE-DIRECTION"}}, {"Value", {}}}},
      // Quoted arguments keep commas, blanks, full stops and parentheses.
      {R"(Join("a, b", "c d"))", {{"Join", {"a, b", "c d"}}}},
      {R"(F("a)b"))", {{"F", {"a)b"}}}},
      // Unquoted arguments end at commas and blanks; order is kept.
      {"Join(x,y , z)", {{"Join", {"x", "y", "z"}}}},
      {"F(,, ,)", {{"F", {}}}},
      // Quotes inside an argument: only a leading quote is stripped, with the
      // last character.
      {R"(F(a"b c"d))", {{"F", {R"(a"b c"d)"}}}},
      // Stray separators are skipped.
      {"..A..B.", {{"A", {}}, {"B", {}}}},
      // Blanks belong to the name (the member lookup then fails).
      {"A . B", {{"A ", {}}, {" B", {}}}},
      // An argument list without its ")" is not one: "(" is skipped.
      {"F(x", {{"F", {}}, {"x", {}}}},
      // An unterminated quote ends the list before it, so no list.
      {R"(F("x))", {{"F", {}}, {R"("x))", {}}}},
      // An unterminated quote anywhere in the list, likewise.
      // Text after the closing parenthesis starts the next segment.
      {"F(a)G", {{"F", {"a"}}, {"G", {}}}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(Dump(SplitExpression(c.expression)), Dump(c.segments));
  }
  // Argument text with an unterminated quote: the quote opens nothing; the
  // text after it is an ordinary argument.
  EXPECT_EQ(kelto::tags::SplitArguments(R"(a, "b c)"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(kelto::tags::SplitArguments(R"("")"), (std::vector<std::string>{""}));
}

}  // namespace
