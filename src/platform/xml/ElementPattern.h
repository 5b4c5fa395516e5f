// The element patterns getElementsByTagName accepts.
//
// Grammar:  pattern := step ("/" step)*      step := name ("[" digits "]")?
//           name    := "*" | an XML name (letters, digits, "-", "_", ".", ":",
//                      any non-ASCII character; not starting with a digit,
//                      "-" or ".")
//
// Meaning, for a context node C (the document, or an element):
// - the first step selects the elements named `name` anywhere below C (C
//   itself excluded), as a DOM's getElementsByTagName descends;
// - every further step selects, below each element selected so far, its child
//   elements named `name`;
// - "*" stands for any element name;
// - "[n]" keeps only the n-th (0-based) of the elements of that name among the
//   children of the same parent ("*[n]": the n-th child element), so "C[0]"
//   is the first C of each parent; an index past the last gives nothing.
// The result holds each element once, in document order.
//
// Example: "A/B/C[0]/D" selects the D children of the first C child of every B
// child of every A element in the document.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace kelto::xml {

class ElementPattern {
 public:
  struct Step {
    std::string name;  // empty for "*"
    std::optional<std::size_t> index;
  };

  // Throws QueryError naming the problem and its position.
  static ElementPattern Parse(std::string_view pattern);

  const std::vector<Step>& steps() const { return steps_; }

  // The matching elements below `context`, in document order.
  std::vector<pugi::xml_node> Select(pugi::xml_node context) const;

 private:
  bool Matches(pugi::xml_node candidate, pugi::xml_node context) const;

  std::vector<Step> steps_;
};

}  // namespace kelto::xml
