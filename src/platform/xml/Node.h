// Read-only handles into a parsed XML tree: elements, their attributes and
// lists of elements. They mirror the small part of a DOM the configuration
// readers use (nodeName, attributes.getNamedItem(...).nodeValue, child
// elements, text, getElementsByTagName, selectNodes).
//
// Contracts:
// - Every handle keeps the tree it points into alive, so a handle never
//   dangles, even after its Document is reloaded or destroyed (a reload
//   builds a new tree; old handles keep seeing the old one).
// - Handles may be empty. Every accessor of an empty handle is safe and
//   returns an empty result ("", empty list, empty handle), so chains such as
//   doc.documentElement().attributes().getNamedItem("x").nodeValue() never
//   crash; test a handle with `if (h)` where absence matters.
// - Names are compared exactly (case-sensitive). Namespace prefixes are part
//   of the name ("k:Entry"), and namespace declarations are ordinary
//   attributes, as in a DOM's attribute map.
// - Malformed query patterns raise QueryError, whose what() names the problem.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace kelto::xml {

// A getElementsByTagName pattern or selectNodes expression that cannot be used.
class QueryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TreePtr = std::shared_ptr<const pugi::xml_document>;

// One attribute: its name and its value (entities already replaced).
class Attribute {
 public:
  Attribute() = default;
  Attribute(TreePtr tree, pugi::xml_attribute attr) : tree_(std::move(tree)), attr_(attr) {}

  bool empty() const { return !attr_; }
  explicit operator bool() const { return !empty(); }
  std::string name() const { return attr_.name(); }
  std::string nodeValue() const { return attr_.value(); }

 private:
  TreePtr tree_;
  pugi::xml_attribute attr_;
};

// The attributes of one element, in document order.
class Attributes {
 public:
  Attributes() = default;
  explicit Attributes(std::vector<Attribute> items) : items_(std::move(items)) {}

  std::size_t length() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // Empty handle past the end.
  Attribute item(std::size_t index) const;
  // The attribute of that exact name; an empty handle when there is none.
  Attribute getNamedItem(std::string_view name) const;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<Attribute> items_;
};

class NodeList;

// An element (or, from selectNodes, another tree node such as text).
class Node {
 public:
  enum class Type { None, Document, Element, Text, CData, Comment, ProcessingInstruction, Other };

  Node() = default;
  Node(TreePtr tree, pugi::xml_node node) : tree_(std::move(tree)), node_(node) {}

  bool empty() const { return !node_; }
  explicit operator bool() const { return !empty(); }
  Type type() const;
  // The element's qualified name as written; "" for other nodes.
  std::string name() const;
  // The text of every text and CDATA node below this one, concatenated in
  // document order (a DOM's textContent).
  std::string text() const;

  Attributes attributes() const;
  // Shortcut for attributes().getNamedItem(name).
  Attribute attribute(std::string_view name) const;

  // Element children in document order.
  NodeList childElements() const;
  Node parent() const;

  // Elements below this node matching `pattern`; see ElementPattern.h.
  NodeList getElementsByTagName(std::string_view pattern) const;
  // XPath 1.0 relative to this node. The expression must yield a node set
  // without attribute nodes; anything else is a QueryError.
  NodeList selectNodes(std::string_view xpath) const;

  const pugi::xml_node& raw() const { return node_; }
  friend bool operator==(const Node& a, const Node& b) { return a.node_ == b.node_; }

 private:
  TreePtr tree_;
  pugi::xml_node node_;
};

// An ordered list of nodes (document order for query results).
class NodeList {
 public:
  NodeList() = default;
  explicit NodeList(std::vector<Node> items) : items_(std::move(items)) {}

  std::size_t length() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // Empty handle past the end.
  Node item(std::size_t index) const { return index < items_.size() ? items_[index] : Node(); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<Node> items_;
};

}  // namespace kelto::xml
