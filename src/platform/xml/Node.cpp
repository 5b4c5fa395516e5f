#include "platform/xml/Node.h"

#include "platform/xml/ElementPattern.h"

namespace kelto::xml {

Attribute Attributes::item(std::size_t index) const {
  return index < items_.size() ? items_[index] : Attribute();
}

Attribute Attributes::getNamedItem(std::string_view name) const {
  for (const Attribute& a : items_)
    if (a.name() == name) return a;
  return {};
}

Node::Type Node::type() const {
  switch (node_.type()) {
    case pugi::node_null:
      return Type::None;
    case pugi::node_document:
      return Type::Document;
    case pugi::node_element:
      return Type::Element;
    case pugi::node_pcdata:
      return Type::Text;
    case pugi::node_cdata:
      return Type::CData;
    case pugi::node_comment:
      return Type::Comment;
    case pugi::node_pi:
      return Type::ProcessingInstruction;
    default:
      return Type::Other;
  }
}

std::string Node::name() const {
  return node_.type() == pugi::node_element ? std::string(node_.name()) : std::string();
}

std::string Node::text() const {
  std::string out;
  if (node_.type() == pugi::node_pcdata || node_.type() == pugi::node_cdata) return node_.value();
  // Iterative pre-order walk: a deeply nested document must not exhaust the
  // stack.
  pugi::xml_node n = node_.first_child();
  while (n) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) out += n.value();
    if (pugi::xml_node child = n.first_child()) {
      n = child;
      continue;
    }
    while (n && n != node_ && !n.next_sibling()) n = n.parent();
    n = (n && n != node_) ? n.next_sibling() : pugi::xml_node();
  }
  return out;
}

Attributes Node::attributes() const {
  std::vector<Attribute> items;
  for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute())
    items.emplace_back(tree_, a);
  return Attributes(std::move(items));
}

Attribute Node::attribute(std::string_view name) const {
  for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute())
    if (name == a.name()) return Attribute(tree_, a);
  return {};
}

NodeList Node::childElements() const {
  std::vector<Node> items;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) items.emplace_back(tree_, c);
  return NodeList(std::move(items));
}

Node Node::parent() const {
  pugi::xml_node p = node_.parent();
  return p ? Node(tree_, p) : Node();
}

NodeList Node::getElementsByTagName(std::string_view pattern) const {
  // Parse first, so that a bad pattern fails even on an empty handle.
  const ElementPattern parsed = ElementPattern::Parse(pattern);
  std::vector<Node> items;
  for (pugi::xml_node n : parsed.Select(node_)) items.emplace_back(tree_, n);
  return NodeList(std::move(items));
}

NodeList Node::selectNodes(std::string_view xpath) const {
  if (xpath.find('\0') != std::string_view::npos)
    throw QueryError("invalid XPath expression: it contains a null character");
  const std::string text(xpath);
  // pugixml reports a malformed expression by throwing, or (when built
  // without exceptions) by an invalid query; both become a QueryError.
  try {
    pugi::xpath_query query(text.c_str());
    if (!query)
      throw QueryError(std::string("invalid XPath expression \"") + text +
                       "\": " + query.result().description());
    if (query.return_type() != pugi::xpath_type_node_set)
      throw QueryError("XPath expression \"" + text + "\" does not select nodes");
    if (!node_) return {};
    const pugi::xpath_node_set set = query.evaluate_node_set(node_);
    std::vector<Node> items;
    items.reserve(set.size());
    for (const pugi::xpath_node& n : set) {
      if (n.attribute())
        throw QueryError("XPath expression \"" + text + "\" selects attributes, not nodes");
      items.emplace_back(tree_, n.node());
    }
    return NodeList(std::move(items));
  } catch (const pugi::xpath_exception& e) {
    throw QueryError("invalid XPath expression \"" + text + "\": " + e.result().description() +
                     " at offset " + std::to_string(e.result().offset));
  }
}

}  // namespace kelto::xml
