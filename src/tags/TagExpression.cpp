#include "tags/TagExpression.h"

#include <cstddef>

namespace kelto::tags {

namespace {

// Both patterns are written so that a greedy scan gives the match a
// backtracking matcher would find first: no item can be shortened to let the
// rest succeed, so each is matched by a simple forward walk here.

// The end of the quoted string that starts at s[i] == '"', or npos when the
// quote is not closed.
std::size_t QuotedEnd(std::string_view s, std::size_t i) {
  const std::size_t close = s.find('"', i + 1);
  return close == std::string_view::npos ? close : close + 1;
}

// Matches ([^," ]+|("[^"]*"))+ at `begin`; returns its end (== begin: no match).
std::size_t MatchArgument(std::string_view s, std::size_t begin) {
  std::size_t i = begin;
  while (i < s.size()) {
    const char c = s[i];
    if (c != ',' && c != ' ' && c != '"') {
      ++i;
    } else if (c == '"') {
      const std::size_t end = QuotedEnd(s, i);
      if (end == std::string_view::npos) break;
      i = end;
    } else {
      break;
    }
  }
  return i;
}

// Matches [^.(]+(\(([^)"]|("[^"]*"))*\))? at `begin`. Returns the end of the
// match (== begin: no match); *open is the position of the "(" of the
// argument list, or npos when the segment has none.
std::size_t MatchSegment(std::string_view s, std::size_t begin, std::size_t* open) {
  *open = std::string_view::npos;
  std::size_t i = begin;
  while (i < s.size() && s[i] != '.' && s[i] != '(') ++i;
  if (i == begin || i == s.size() || s[i] != '(') return i;

  // The optional argument list: anything up to the first ")" outside quotes.
  std::size_t j = i + 1;
  while (j < s.size() && s[j] != ')') {
    if (s[j] == '"') {
      const std::size_t end = QuotedEnd(s, j);
      if (end == std::string_view::npos) return i;  // unterminated: no list
      j = end;
    } else {
      ++j;
    }
  }
  if (j == s.size()) return i;  // no ")": the list is not part of the segment
  *open = i;
  return j + 1;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = MatchArgument(text, pos);
    if (end == pos) {
      ++pos;  // a separator, or a quote that is never closed
      continue;
    }
    std::string_view argument = text.substr(pos, end - pos);
    if (argument.front() == '"') argument = argument.substr(1, argument.size() - 2);
    arguments.emplace_back(argument);
    pos = end;
  }
  return arguments;
}

std::vector<ExpressionSegment> SplitExpression(std::string_view expression) {
  std::vector<ExpressionSegment> segments;
  std::size_t pos = 0;
  while (pos < expression.size()) {
    std::size_t open = 0;
    const std::size_t end = MatchSegment(expression, pos, &open);
    if (end == pos) {
      ++pos;
      continue;
    }
    ExpressionSegment segment;
    if (open == std::string_view::npos) {
      segment.name = expression.substr(pos, end - pos);
    } else {
      segment.name = expression.substr(pos, open - pos);
      // The segment ends with its closing ")".
      segment.arguments = SplitArguments(expression.substr(open + 1, end - 1 - (open + 1)));
    }
    segments.push_back(std::move(segment));
    pos = end;
  }
  return segments;
}

}  // namespace kelto::tags
