// The member paths of tag-engine aspects, split into the calls they make.
//
// An expression such as
//     OwnerComponent.Attributes("SPINDLE-DIRECTION", "a, b").Value
// is a chain of segments; each names a member and may carry an argument list.
// The split follows two patterns, applied as a search that tries every start
// position and skips text that matches neither:
//
//   segment   [^.(]+(\(([^)"]|("[^"]*"))*\))?
//             a name, optionally followed by "( ... )" in which double-quoted
//             strings may hold any character but a double quote (so a quoted
//             ")" or "." does not end the list);
//   argument  ([^," ]+|("[^"]*"))+
//             a run of characters other than comma, blank and double quote, or
//             quoted strings, in any mix; an argument that begins with a double
//             quote loses its first and last characters.
//
// The name is the segment text before its first "(" (kept exactly: blanks are
// part of it); the argument text lies between the first "(" and the last ")".
// Skipped text is whatever no match covers: the full stops between segments,
// and also a stray "(" with no matching ")" (so "Foo(x" is the two segments
// "Foo" and "x"), or an unterminated quote inside an argument list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelto::tags {

struct ExpressionSegment {
  std::string name;                    // the member name, UTF-8
  std::vector<std::string> arguments;  // string arguments in the order written
  friend bool operator==(const ExpressionSegment&, const ExpressionSegment&) = default;
};

std::vector<ExpressionSegment> SplitExpression(std::string_view expression);

// The arguments of one argument text (what lies between the parentheses).
std::vector<std::string> SplitArguments(std::string_view argumentText);

}  // namespace kelto::tags
