#include <gtest/gtest.h>

#include "platform/xml/Document.h"

using kelto::xml::Document;
using kelto::xml::LoadResult;
using kelto::xml::NodeList;
using kelto::xml::QueryError;

namespace {

// Every element carries an id attribute, so that results read as "a,b,c".
constexpr const char* kTree = R"(<Component-Geometry id="g">
  <Component-Processing id="p1">
    <Component-Type-Handler id="h1">
      <Component-Type-Entry id="e1"/>
      <Other id="o1"/>
      <Component-Type-Entry id="e2"/>
    </Component-Type-Handler>
    <Component-Type-Handler id="h2">
      <Component-Type-Entry id="e3"/>
    </Component-Type-Handler>
  </Component-Processing>
  <Component-Processing id="p2">
    <Component-Type-Handler id="h3">
      <Component-Type-Entry id="e4"/>
    </Component-Type-Handler>
  </Component-Processing>
  <Nest id="n1"><Nest id="n2"><Leaf id="l1"/></Nest><Leaf id="l2"/></Nest>
</Component-Geometry>)";

std::string Ids(const NodeList& list) {
  std::string out;
  for (const auto& n : list) out += (out.empty() ? "" : ",") + n.attribute("id").nodeValue();
  return out;
}

Document Load(const char* text) {
  Document doc;
  const LoadResult r = doc.loadXML(text);
  EXPECT_TRUE(r.ok) << r.Describe();
  return doc;
}

}  // namespace

TEST(XmlPattern, SelectsByPathWithPerParentIndexesInDocumentOrderBelowTheStart) {
  const Document doc = Load(kTree);
  const struct {
    const char* pattern;
    const char* ids;
  } cases[] = {
      {"Component-Geometry/Component-Processing/Component-Type-Handler[0]/Component-Type-Entry",
       "e1,e2,e4"},  // the first handler of each processing element
      {"Component-Type-Handler[1]/Component-Type-Entry", "e3"},
      {"Component-Type-Entry", "e1,e2,e3,e4"},
      {"Component-Type-Entry[1]", "e2"},  // counted among namesakes, not all siblings
      {"*", "g,p1,h1,e1,o1,e2,h2,e3,p2,h3,e4,n1,n2,l1,l2"},
      {"*[0]", "g,p1,h1,e1,e3,h3,e4,n2,l1"},
      // The first step descends; later steps are children only.
      {"Nest/Leaf", "l1,l2"},        // document order although found from different parents
      {"component-type-entry", ""},  // names are case-sensitive
  };
  for (const auto& c : cases)
    EXPECT_EQ(Ids(doc.getElementsByTagName(c.pattern)), c.ids) << c.pattern;

  // From an element the search covers only what lies below it.
  const auto p2 = doc.getElementsByTagName("Component-Processing[1]").item(0);
  ASSERT_TRUE(p2);
  EXPECT_EQ(Ids(p2.getElementsByTagName("Component-Type-Entry")), "e4");
  const auto n1 = doc.getElementsByTagName("Nest").item(0);
  EXPECT_EQ(Ids(n1.getElementsByTagName("Nest/Leaf")), "l1");
}

TEST(XmlPattern, MalformedPatternsAreErrors) {
  const Document doc = Load(kTree);
  for (const char* bad :
       {"", "/A", "A//B", "A[]", "A[-1]", "A[0]x", "1A", "A[99999999999999999999]"})
    EXPECT_THROW(doc.getElementsByTagName(bad), QueryError) << bad;
}

TEST(XmlSelect, ChildStepsRelativeToTheDocumentAndBadExpressionsAreErrors) {
  const Document doc = Load(R"(<Rules><Aspect id="a1"/><Lookup id="k1"><Lookup id="k2"/></Lookup>
      <Aspect id="a2"/><X><Aspect id="a3"/></X></Rules>)");
  EXPECT_EQ(Ids(doc.selectNodes("*/Aspect")), "a1,a2");
  EXPECT_EQ(Ids(doc.selectNodes("*/Lookup")), "k1");
  EXPECT_EQ(Ids(doc.selectNodes("//Aspect")), "a1,a2,a3");
  EXPECT_TRUE(doc.selectNodes("*/Nothing").empty());
  EXPECT_TRUE(Document().selectNodes("*/Aspect").empty());

  // Bad expressions are errors, not crashes.
  const Document small = Load("<a x='1'><b/></a>");
  for (const char* bad : {"*/", "count(*)", "*/@x", "foo("})
    EXPECT_THROW(small.selectNodes(bad), QueryError) << bad;
  EXPECT_THROW(small.selectNodes(std::string_view("*\0/b", 4)), QueryError);
}

TEST(XmlLoad, ErrorsNameTheProblemAndPosition) {
  const struct {
    const char* text;
    const char* description;
    std::size_t line, column;
  } cases[] = {
      {"", "No document element found", 1, 1},
      {"<a>\n  <b></a>", "Start-end tags mismatch", 2, 8},
      {"<a>\r<é/>\r\n<é x='1' x='2'/></a>", "Duplicate attribute 'x'", 3, 2},
      {"<a>é€<\n</a>", "Could not determine tag type", 1, 7},  // columns count characters
      {"<a/><b/>", "Only one top level element is allowed", 1, 6},
  };
  for (const auto& c : cases) {
    Document doc;
    const LoadResult r = doc.loadXML(c.text);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.description, c.description) << c.text;
    EXPECT_EQ(r.line, c.line) << c.text;
    EXPECT_EQ(r.column, c.column) << c.text;
    EXPECT_FALSE(doc.documentElement()) << c.text;  // a failed load leaves nothing
  }
}

TEST(XmlLoad, ReloadReplacesContentAndHandlesStayValidOrEmpty) {
  Document doc = Load("<a><b id='old'/></a>");
  const auto old = doc.getElementsByTagName("b");
  EXPECT_FALSE(doc.loadXML("<a><b"));
  EXPECT_TRUE(doc.getElementsByTagName("b").empty());
  ASSERT_TRUE(doc.loadXML("<c/>"));
  EXPECT_EQ(doc.documentElement().name(), "c");
  EXPECT_EQ(Ids(old), "old");

  // Handles of what a document lacks chain safely.
  const auto missing = Document().documentElement();
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.attributes().getNamedItem("x").nodeValue(), "");
  EXPECT_TRUE(missing.childElements().empty());
  EXPECT_FALSE(missing.childElements().item(3).parent());
  EXPECT_TRUE(missing.getElementsByTagName("*").empty());
}

TEST(XmlNode, AttributesInDocumentOrderWithNamedLookup) {
  const Document doc =
      Load(R"(<Lookup Zeta="1" Alpha="" xmlns:k="urn:k" k:Mid="m &amp; &lt;n&gt;"/>)");
  const auto attrs = doc.documentElement().attributes();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& a : attrs) pairs.emplace_back(a.name(), a.nodeValue());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Zeta", "1"}, {"Alpha", ""}, {"xmlns:k", "urn:k"}, {"k:Mid", "m & <n>"}};
  EXPECT_EQ(pairs, expected);
  EXPECT_TRUE(attrs.getNamedItem("Alpha"));  // present though empty
  EXPECT_FALSE(attrs.getNamedItem("alpha"));
  EXPECT_EQ(attrs.getNamedItem("k:Mid").nodeValue(), "m & <n>");
}

TEST(XmlNode, ChildrenTextEntitiesAndUtf8Survive) {
  const Document doc = Load(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- before -->\n"
      "<p:Root xmlns:p=\"urn:p\">Größe &#8364;&#x20AC; <Tag a=\"1\"/><!-- c --><?pi x?>"
      "<![CDATA[<raw>&amp;]]><p:Tag>Ω</p:Tag>text</p:Root>");
  const auto root = doc.documentElement();
  EXPECT_EQ(root.name(), "p:Root");
  EXPECT_EQ(root.text(), "Größe €€ <raw>&amp;Ωtext");
  std::vector<std::string> names;
  for (const auto& c : root.childElements()) names.push_back(c.name());
  EXPECT_EQ(names, (std::vector<std::string>{"Tag", "p:Tag"}));
  EXPECT_EQ(root.childElements().item(1).parent(), root);
  EXPECT_EQ(doc.getElementsByTagName("p:Root/p:Tag").length(), 1u);
}
