#include "platform/xml/ElementPattern.h"

#include <charconv>
#include <cstring>

#include "platform/xml/Node.h"

namespace kelto::xml {

namespace {

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

[[noreturn]] void Fail(std::string_view pattern, std::size_t pos, const std::string& what) {
  throw QueryError("invalid element pattern \"" + std::string(pattern) + "\" at offset " +
                   std::to_string(pos) + ": " + what);
}

bool NameMatches(const ElementPattern::Step& step, pugi::xml_node node) {
  return step.name.empty() || step.name == node.name();
}

// Whether `node` is the step.index-th element of its name among its siblings.
// Stops counting as soon as the answer is known, so that "[0]" on a long run
// of siblings costs no more than the distance to the previous namesake.
bool IndexMatches(const ElementPattern::Step& step, pugi::xml_node node) {
  if (!step.index) return true;
  std::size_t before = 0;
  for (pugi::xml_node s = node.previous_sibling(); s; s = s.previous_sibling()) {
    if (s.type() != pugi::node_element || !NameMatches(step, s)) continue;
    if (++before > *step.index) return false;
  }
  return before == *step.index;
}

bool IsStrictDescendant(pugi::xml_node node, pugi::xml_node ancestor) {
  for (pugi::xml_node p = node.parent(); p; p = p.parent())
    if (p == ancestor) return true;
  return false;
}

// Pre-order successor of `node` within the subtree of `root` (iterative, so a
// deep document cannot exhaust the stack).
pugi::xml_node NextInSubtree(pugi::xml_node node, pugi::xml_node root) {
  if (pugi::xml_node child = node.first_child()) return child;
  for (; node && node != root; node = node.parent())
    if (pugi::xml_node sibling = node.next_sibling()) return sibling;
  return {};
}

}  // namespace

ElementPattern ElementPattern::Parse(std::string_view pattern) {
  ElementPattern result;
  std::size_t pos = 0;
  if (pattern.empty()) Fail(pattern, 0, "the pattern is empty");
  while (true) {
    Step step;
    const std::size_t start = pos;
    if (pos < pattern.size() && pattern[pos] == '*') {
      ++pos;
    } else {
      if (pos >= pattern.size() || !IsNameStart(static_cast<unsigned char>(pattern[pos])))
        Fail(pattern, pos, "expected an element name or \"*\"");
      while (pos < pattern.size() && IsNameChar(static_cast<unsigned char>(pattern[pos]))) ++pos;
      step.name.assign(pattern.substr(start, pos - start));
    }
    if (pos < pattern.size() && pattern[pos] == '[') {
      const std::size_t digits = ++pos;
      while (pos < pattern.size() && pattern[pos] >= '0' && pattern[pos] <= '9') ++pos;
      if (pos == digits) Fail(pattern, pos, "expected a non-negative index after \"[\"");
      std::size_t index = 0;
      const auto [end, ec] = std::from_chars(pattern.data() + digits, pattern.data() + pos, index);
      if (ec != std::errc() || end != pattern.data() + pos)
        Fail(pattern, digits, "the index is too large");
      if (pos >= pattern.size() || pattern[pos] != ']') Fail(pattern, pos, "expected \"]\"");
      ++pos;
      step.index = index;
    }
    result.steps_.push_back(std::move(step));
    if (pos == pattern.size()) break;
    if (pattern[pos] != '/') Fail(pattern, pos, "expected \"/\" or the end of the pattern");
    ++pos;
  }
  return result;
}

bool ElementPattern::Matches(pugi::xml_node candidate, pugi::xml_node context) const {
  pugi::xml_node node = candidate;
  for (std::size_t i = steps_.size(); i-- > 0;) {
    if (!node || node.type() != pugi::node_element) return false;
    if (!NameMatches(steps_[i], node) || !IndexMatches(steps_[i], node)) return false;
    if (i > 0) node = node.parent();
  }
  // The document node is an ancestor of every element, so only an element
  // context needs the walk.
  return context.type() == pugi::node_document || IsStrictDescendant(node, context);
}

std::vector<pugi::xml_node> ElementPattern::Select(pugi::xml_node context) const {
  std::vector<pugi::xml_node> found;
  if (!context) return found;
  for (pugi::xml_node n = NextInSubtree(context, context); n; n = NextInSubtree(n, context))
    if (n.type() == pugi::node_element && Matches(n, context)) found.push_back(n);
  return found;
}

}  // namespace kelto::xml
