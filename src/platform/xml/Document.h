// An XML document loaded from UTF-8 text, with the DOM-style queries the
// configuration readers use. See Node.h for the handle contracts and
// ElementPattern.h for the getElementsByTagName patterns.
//
// Loading is stricter than pugixml alone in two ways a configuration reader
// would otherwise silently misread: a second top-level element and an
// attribute given twice on one element are load errors. It stays as lenient as
// pugixml elsewhere (notably entity references other than the five predefined
// ones and character references are kept as written, and DTD declarations are
// not applied).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xml/Node.h"

namespace kelto::xml {

struct LoadResult {
  bool ok = false;
  // What is wrong ("Start-end tags mismatch", ...); "No error" on success.
  std::string description;
  // Where: a byte offset into the loaded text, and the same place as a 1-based
  // line (CR, LF and CR LF each end a line) and 1-based column counted in
  // characters (UTF-8 sequences), as an editor shows it.
  std::size_t offset = 0;
  std::size_t line = 0;
  std::size_t column = 0;

  explicit operator bool() const { return ok; }
  // "description at line L, column C" for messages.
  std::string Describe() const;
};

class Document {
 public:
  Document();

  // Replaces the content. On failure the document is left empty (no document
  // element), so a failed load never leaves half a tree behind. Handles taken
  // from the previous content stay valid and keep seeing it.
  LoadResult loadXML(std::string_view utf8);

  // The root element; an empty handle when nothing is loaded.
  Node documentElement() const;
  // Queries relative to the document node (see Node).
  NodeList getElementsByTagName(std::string_view pattern) const;
  NodeList selectNodes(std::string_view xpath) const;

 private:
  Node root() const { return Node(tree_, tree_->root()); }

  std::shared_ptr<pugi::xml_document> tree_;
};

}  // namespace kelto::xml
