// The symbol library filter: files added and removed, which file answers a
// key, acceptance through the piping library's symbol catalogue, and the
// failures that must leave the library as it was.
#include <stdexcept>
#include <string>

#include "SymbolTestText.h"
#include "SymbolicTestSupport.h"
#include "symbolic/SkeldaSymbolCSSGB.h"
#include "symbolic/SkeldaSymbolFilter.h"

namespace {

using namespace symbol_test;
using symbolic_test::OnePipeline;
using symbolic_test::Plant;

class SymbolFilterTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, const std::string& text) {
    return WriteFile(dir.path() / name, text).string();
  }
  // The key of the symbol the filter finds for key, with the file it came
  // from told apart by the symbol's OldSKEY; "" when none.
  std::string Found(const std::string& key) const {
    const CSkeldaSymbol* s = filter.Lookup(key);
    return s ? s->OldSKEY : "";
  }

  kelto::test::TempDir dir;
  CSkeldaSymbolFilter filter;
};

TEST_F(SymbolFilterTest, LastLoadedFileWinsUntilItIsRemoved) {
  const std::string a = File("a.sym", Symbol({"VAGA", "FROMA", ""}, BoxPens()));
  const std::string b = File(
      "b.sym", Symbol({"VAGA", "FROMB", ""}, BoxPens()) + Symbol({"VAGL", "ONLYB", ""}, BoxPens()));
  filter.AddFile(a);
  filter.AddFile(b);
  EXPECT_EQ(Found("VAGA"), "FROMB");
  EXPECT_EQ(Found("VAGL"), "ONLYB");
  filter.RemoveFile(b);
  EXPECT_EQ(Found("VAGA"), "FROMA");
  EXPECT_EQ(Found("VAGL"), "");
  filter.RemoveFile(b);  // no longer loaded: nothing happens
  filter.RemoveFile("never-loaded.sym");
  EXPECT_EQ(filter.SearchList().size(), 1u);
  filter.RemoveFile(a);
  EXPECT_TRUE(filter.SearchList().empty());
  EXPECT_TRUE(filter.Files().empty());
}

TEST_F(SymbolFilterTest, ReaddingANameReadsItAgainAndKeepsTheOldCopyBehind) {
  const std::string path = File("lib.sym", Symbol({"VAGA", "FIRST", ""}, BoxPens()));
  filter.AddFile(path);
  File("lib.sym", Symbol({"VAGA", "SECND", ""}, BoxPens()));
  filter.AddFile(path);
  EXPECT_EQ(Found("VAGA"), "SECND");
  EXPECT_EQ(filter.Files().size(), 1u);
  EXPECT_EQ(filter.SearchList().size(), 2u);
  filter.RemoveFile(path);
  EXPECT_EQ(Found("VAGA"), "FIRST");  // searchable, but no longer removable by name
  filter.RemoveFile(path);
  EXPECT_EQ(Found("VAGA"), "FIRST");
}

TEST_F(SymbolFilterTest, AFileThatFailsAddsNothing) {
  filter.AddFile(File("good.sym", Symbol({"VAGA", "GOOD", ""}, BoxPens())));
  const std::string shortLine = File("short.sym", Symbol({"VAGA", "BAD", ""}, BoxPens()) +
                                                      HeaderLine({"VAGL", "", ""}).substr(0, 60));
  EXPECT_THROW(filter.AddFile(shortLine), std::out_of_range);
  const std::string missing = (dir.path() / "missing.sym").string();
  try {
    filter.AddFile(missing);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  EXPECT_EQ(Found("VAGA"), "GOOD");
  EXPECT_EQ(filter.SearchList().size(), 1u);
  EXPECT_EQ(filter.Files().count(shortLine), 0u);
  EXPECT_EQ(filter.Files().count(missing), 0u);
}

TEST_F(SymbolFilterTest, AcceptanceFollowsTheCatalogue) {
  ASSERT_NE(filter.Catalogue(), nullptr);
  struct Case {
    const char* oldKey;
    long variant;
    const char* type;
    bool accepted;
  } cases[] = {
      {"VAGA", 0, "Gate-Valve", true},   // the key lists VALVE
      {"VAGA", 0, "Elbow-90", false},    // ... and not BEND
      {"VAGA", 2, "Angle-Valve", true},  // variant 2 is the angle body
      {"VAGA", 2, "Gate-Valve", false},
      {"VA", 0, "Check-Valve", true},  // padded to VA**
      {"VA", 0, "Tee", false},
      {"ZZZZ", 0, "Tee", true},  // a key the catalogue does not know draws anything
      {"", 0, "Pipe", true},
      {"VAGA", 0, "No-Such-Type", false},
  };
  for (const Case& c : cases) {
    CSkeldaSymbol symbol;
    symbol.OldSKEY = c.oldKey;
    symbol.variant = c.variant;
    EXPECT_EQ(filter.Accepts(symbol, c.type), c.accepted)
        << c.oldKey << "/" << c.variant << " for " << c.type;
  }
}

TEST_F(SymbolFilterTest, GetBuilderNamesTheSymbolAndItsSpindle) {
  EXPECT_EQ(filter.GetBuilder(nullptr), nullptr);  // nothing loaded: nothing asked
  filter.AddFile(File("lib.sym", Symbol({"VAGA", "VAGA", "SPHW"}, BoxPens()) +
                                     Symbol({"VAGL", "VAGL", "SPNO"}, BoxPens()) +
                                     Symbol({"SPHW", "SPHW", ""}, BoxPens()) +
                                     Symbol({"EL**", "VAGA", ""}, BoxPens())));
  Plant plant(OnePipeline(R"(
    {"id": "G", "type": "Gate-Valve", "points": {}},
    {"id": "L", "type": "Globe-Valve", "points": {}},
    {"id": "E", "type": "Elbow-90", "points": {}},
    {"id": "C", "type": "Check-Valve", "points": {}})"));

  const auto gate = filter.GetBuilder(plant.Component("G").Get());
  ASSERT_NE(gate, nullptr);
  const auto* g = dynamic_cast<CSkeldaSymbolCSSGB*>(gate.get());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Symbol(), filter.Lookup("VAGA"));
  EXPECT_EQ(g->SpindleSymbol(), filter.Lookup("SPHW"));

  const auto globe = filter.GetBuilder(plant.Component("L").Get());
  ASSERT_NE(globe, nullptr);
  EXPECT_EQ(dynamic_cast<CSkeldaSymbolCSSGB*>(globe.get())->SpindleSymbol(), nullptr);

  // EL** is found for the elbow's EL90 but its OldSKEY names valves only.
  EXPECT_EQ(filter.GetBuilder(plant.Component("E").Get()), nullptr);
  // VACH is in no file.
  EXPECT_EQ(filter.GetBuilder(plant.Component("C").Get()), nullptr);
}

TEST(SymbolFilterCatalogue, MissingCatalogueFailsOnlyOnceASymbolIsFound) {
  kelto::test::TempDir dir;
  CSkeldaSymbolFilter filter{kelto::com::ComPtr<IKeltoSymbolCatalogue>()};
  filter.AddFile(
      WriteFile(dir.path() / "lib.sym", Symbol({"VAGA", "VAGA", ""}, BoxPens())).string());
  Plant plant(OnePipeline(R"(
    {"id": "G", "type": "Gate-Valve", "points": {}},
    {"id": "C", "type": "Check-Valve", "points": {}})"));
  EXPECT_EQ(filter.GetBuilder(plant.Component("C").Get()), nullptr);
  try {
    filter.GetBuilder(plant.Component("G").Get());
    FAIL() << "no error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
  }
}

}  // namespace
