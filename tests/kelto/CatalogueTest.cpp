#include "kelto/data/Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DefaultTableTypes.h"
#include "kelto/data/LoadError.h"

using kelto::data::Catalogue;

namespace {

std::vector<std::string> Classes(std::string_view key, int variant) {
  const auto span = Catalogue::Default().KeyTypes(key, variant);
  return {span.begin(), span.end()};
}

}  // namespace

// The four fields of a description and unknown types: WalkerCatalogueTest.
TEST(Catalogue, KeyTypesFallBackFromVariantToFamily) {
  EXPECT_EQ(Classes("VAGA", 0), (std::vector<std::string>{"VALVE"}));
  EXPECT_EQ(Classes("VAGA", 2), (std::vector<std::string>{"ANGLE-VALVE"}));
  EXPECT_EQ(Classes("VAGA", 7), (std::vector<std::string>{"VALVE"}));  // no variant 7: variant 0
  EXPECT_EQ(Classes("VAZZ", 0),
            (std::vector<std::string>{"VALVE", "ANGLE-VALVE", "MULTIWAY-VALVE"}));
  EXPECT_EQ(Classes("VA**", 3), Classes("VAZZ", 0));
  EXPECT_TRUE(Classes("ZZ01", 0).empty());
  EXPECT_TRUE(Classes("", 0).empty());
}

TEST(Catalogue, ShippedTableIsConsistent) {
  const Catalogue& c = Catalogue::Default();
  for (const char* type : kelto::test::kDefaultTableTypes)
    EXPECT_NE(c.FindType(type), nullptr) << type;
  for (const auto& t : c.Types()) {
    // A type's own symbol key must be accepted for it.
    const auto classes = c.KeyTypes(t.symbolKey, 0);
    EXPECT_NE(std::find(classes.begin(), classes.end(), t.symbolClass), classes.end()) << t.type;
    EXPECT_FALSE(t.group.empty()) << t.type;
  }
  // What the builders key on (item code 5, the eccentric reducers' offset
  // shape): GeneratorTest, over every type.
}

TEST(Catalogue, BadCatalogueTextNamesThePlace) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"nope", "c.json: /: not valid JSON"},
      {R"({"format": "kelto-catalogue", "version": 1, "types": [{"type": "X"}], "keys": []})",
       "c.json: /types/0: missing member \"group\""},
      {R"({"format": "kelto-catalogue", "version": 1, "types": [], "keys": [{"key": "ABC", "classes": []}]})",
       "c.json: /keys/0/key: a symbol key has 4 characters"},
      {R"({"format": "kelto-catalogue", "version": 2, "types": [], "keys": []})",
       "c.json: /version: unsupported version"},
  };
  for (const Case& c : cases) {
    try {
      Catalogue::Parse(c.text, "c.json");
      ADD_FAILURE() << "parsed " << c.text;
    } catch (const kelto::data::LoadError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}
