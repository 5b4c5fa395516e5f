// The symbol library filter: files added and removed, which file answers a
// key, acceptance through the piping library's symbol catalogue, and the
// failures that must leave the library as it was. Then the bundled library
// examples/symbols/kelto-standard.sym: every symbol can be placed, every
// spindle it names exists, every symbol is accepted for some component type
// and never refused for a type whose own key finds it, and the example plants
// pick its symbols up and draw them.
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>

#include "SymbolTestText.h"
#include "SymbolicTestSupport.h"
#include "kelto/data/Catalogue.h"
#include "symbolic/SkeldaSymbolCSSGB.h"
#include "symbolic/SkeldaSymbolFilter.h"

namespace symbolic_test {
namespace {

using namespace symbol_test;
namespace fs = std::filesystem;

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
  EXPECT_THROW(filter.AddFile(missing), std::runtime_error);
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
  const auto globe = filter.GetBuilder(plant.Component("L").Get());
  const auto* g = dynamic_cast<const CSkeldaSymbolCSSGB*>(gate.get());
  const auto* l = dynamic_cast<const CSkeldaSymbolCSSGB*>(globe.get());
  ASSERT_TRUE(g && l);
  EXPECT_EQ(g->Symbol(), filter.Lookup("VAGA"));
  EXPECT_EQ(g->SpindleSymbol(), filter.Lookup("SPHW"));
  EXPECT_EQ(l->SpindleSymbol(), nullptr);  // SPNO is in no file
  // EL** is found for the elbow's EL90 but its OldSKEY names valves only;
  // VACH is in no file.
  EXPECT_EQ(filter.GetBuilder(plant.Component("E").Get()), nullptr);
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
  EXPECT_THROW(filter.GetBuilder(plant.Component("G").Get()), _com_error);
}

const fs::path kLibrary = fs::path(KELTO_SOURCE_DIR) / "examples/symbols/kelto-standard.sym";

class StandardLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { filter.AddFile(kLibrary.string()); }
  const CSkeldaSymbols& Symbols() const { return *filter.SearchList().front(); }
  CSkeldaSymbolFilter filter;
};

TEST_F(StandardLibraryTest, EverySymbolHasARunAndAWidth) {
  ASSERT_GE(Symbols().Symbols().size(), 25u);
  for (const auto& [key, symbol] : Symbols().Symbols()) {
    SCOPED_TRACE(key);
    EXPECT_EQ(key.size(), 4u);
    EXPECT_NE(symbol.Start(), symbol.End());
    EXPECT_GT(symbol.Width(), 0.0);
    // Spindle symbols are in the library (and so checked here themselves).
    if (!symbol.Spindle.empty()) {
      EXPECT_TRUE(symbol.HasSpindlePosition());
      EXPECT_NE(filter.Lookup(symbol.Spindle), nullptr) << symbol.Spindle;
    }
  }
}

TEST_F(StandardLibraryTest, KeysMatchTheCatalogueTypes) {
  const auto& catalogue = kelto::data::Catalogue::Default();
  std::set<const CSkeldaSymbol*> used;
  for (const auto& type : catalogue.Types()) {
    const CSkeldaSymbol* symbol = filter.Lookup(type.symbolKey);
    if (!symbol) continue;
    // A type's own key never finds a symbol the catalogue then refuses.
    EXPECT_TRUE(filter.Accepts(*symbol, type.type)) << type.type << " / " << type.symbolKey;
    used.insert(symbol);
  }
  for (const auto& [key, symbol] : Symbols().Symbols()) {
    if (key.rfind("SP", 0) == 0) continue;  // spindles
    // The support keys beyond the types' own are chosen by the piping files.
    if (key.rfind("SU", 0) == 0) {
      EXPECT_TRUE(filter.Accepts(symbol, "Support")) << key;
      continue;
    }
    EXPECT_EQ(used.count(&symbol), 1u) << key << " is found by no component type";
  }
}

TEST_F(StandardLibraryTest, ExamplePlantsPickTheSymbolsUpAndDrawThem) {
  std::set<std::string> drawnKeys;
  for (const char* example : {"drain-spool", "pipe-rack", "pump-station", "steam-header"}) {
    SCOPED_TRACE(example);
    const ComPtr<IKeltoFile> file =
        LoadFile(fs::path(KELTO_SOURCE_DIR) / "examples" / (std::string(example) + ".json"));
    for (const ComPtr<IKeltoComponent>& component : AllComponents(file.Get())) {
      IKeltoComponent* c = component.Get();
      const auto builder = filter.GetBuilder(c);
      if (!builder) continue;
      const auto* symbolBuilder = dynamic_cast<CSkeldaSymbolCSSGB*>(builder.get());
      ASSERT_NE(symbolBuilder, nullptr);
      CComponentInfo info(file.Get(), kelto::solid::PipelineOf(c).Get(), c, nullptr);
      const Drawing d = Draw(*builder, info);
      EXPECT_TRUE(d.drawn) << symbolBuilder->Symbol()->NewSKEY;
      EXPECT_FALSE(d.geometry.empty()) << symbolBuilder->Symbol()->NewSKEY;
      for (const CPrimitive& p : d.geometry)
        EXPECT_TRUE(p.GetLine() && std::isfinite(p.GetLine()->Start.AsVector().Length() +
                                                 p.GetLine()->End.AsVector().Length()));
      drawnKeys.insert(symbolBuilder->Symbol()->NewSKEY);
    }
  }
  // What the hand-made plants name: supports of each kind, a weld-neck
  // flange, a ball valve, and the fittings of the catalogue's families.
  for (const char* key : {"SUGD", "SUAN", "SUHG", "SURS", "FLWN", "VABA", "EL**"})
    EXPECT_EQ(drawnKeys.count(key), 1u) << key;
}

TEST_F(StandardLibraryTest, GateValveDrawsAsTheFormatDocumentSays) {
  // The worked example of docs/symbol-format.md.
  Plant plant(
      OnePipeline(Component("V", "Gate-Valve", "", "Run_1 0,0,0 end=BW; Run_2 300,0,0 end=BW",
                            "Run_1>Run_2", R"("attributes": {"SPINDLE-DIRECTION": "UP"})")));
  plant.SetDimensions(UniformDimensions(100, 200, 20));
  const auto builder = filter.GetBuilder(plant.Component("V").Get());
  ASSERT_NE(builder, nullptr);
  ExpectLines(Draw(*builder, *plant.Info("V")).geometry,
              Segments("0,0,-50 0,0,50; 0,0,50 300,0,-50; 300,0,-50 300,0,50; 300,0,50 0,0,-50;"
                       "150,0,0 150,0,50; 125,0,50 175,0,50; 125,0,46.5 125,0,53.5;"
                       "175,0,46.5 175,0,53.5"),
              1e-9);
}

}  // namespace
}  // namespace symbolic_test
