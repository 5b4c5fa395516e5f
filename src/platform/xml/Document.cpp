#include "platform/xml/Document.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kelto::xml {

namespace {

LoadResult At(std::string_view text, std::string description, std::size_t offset) {
  LoadResult r;
  r.ok = false;
  r.description = std::move(description);
  r.offset = std::min(offset, text.size());
  r.line = 1;
  r.column = 1;
  for (std::size_t i = 0; i < r.offset; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++r.line;
      r.column = 1;
    } else if (c == '\r') {
      // The CR of a CR LF pair; the LF ends the line.
    } else if ((c & 0xC0) != 0x80) {
      ++r.column;  // a UTF-8 continuation byte adds no character
    }
  }
  return r;
}

// The first attribute of `element` whose name an earlier attribute already
// used, or an empty handle.
pugi::xml_attribute FindDuplicateAttribute(pugi::xml_node element) {
  std::vector<std::string_view> seen;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view name = a.name();
    const auto it = std::lower_bound(seen.begin(), seen.end(), name);
    if (it != seen.end() && *it == name) return a;
    seen.insert(it, name);
  }
  return {};
}

// The checks pugixml leaves out that decide what a reader sees: one document
// element, unique attribute names. Returns ok when the tree passes.
LoadResult CheckTree(std::string_view text, const pugi::xml_document& doc) {
  bool haveElement = false;
  for (pugi::xml_node top = doc.first_child(); top; top = top.next_sibling()) {
    if (top.type() != pugi::node_element) continue;
    if (haveElement)
      return At(text, "Only one top level element is allowed",
                static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, top.offset_debug())));
    haveElement = true;
  }
  // Iterative walk over every element.
  for (pugi::xml_node n = doc.first_child(); n;) {
    if (n.type() == pugi::node_element) {
      if (pugi::xml_attribute dup = FindDuplicateAttribute(n))
        return At(text, std::string("Duplicate attribute '") + dup.name() + "'",
                  static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, n.offset_debug())));
    }
    if (pugi::xml_node child = n.first_child()) {
      n = child;
      continue;
    }
    while (n && !n.next_sibling()) n = n.parent();
    if (n) n = n.next_sibling();
  }
  LoadResult ok;
  ok.ok = true;
  ok.description = "No error";
  return ok;
}

}  // namespace

std::string LoadResult::Describe() const {
  if (ok) return description;
  return description + " at line " + std::to_string(line) + ", column " + std::to_string(column);
}

Document::Document() : tree_(std::make_shared<pugi::xml_document>()) {}

LoadResult Document::loadXML(std::string_view utf8) {
  // A fresh tree each time: handles into the previous content keep it alive.
  auto tree = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result parsed =
      tree->load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
  LoadResult result;
  if (!parsed) {
    result = At(utf8, parsed.description(),
                static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, parsed.offset)));
  } else {
    result = CheckTree(utf8, *tree);
  }
  tree_ = result.ok ? std::move(tree) : std::make_shared<pugi::xml_document>();
  return result;
}

Node Document::documentElement() const {
  pugi::xml_node e = tree_->document_element();
  return e ? Node(tree_, e) : Node();
}

NodeList Document::getElementsByTagName(std::string_view pattern) const {
  return root().getElementsByTagName(pattern);
}

NodeList Document::selectNodes(std::string_view xpath) const { return root().selectNodes(xpath); }

}  // namespace kelto::xml
