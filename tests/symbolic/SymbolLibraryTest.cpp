// The bundled symbol library examples/symbols/kelto-standard.sym: it loads,
// every symbol can be placed, every spindle it names exists, every symbol is
// accepted for some component type and never refused for a type whose own
// key finds it, and the example plants pick its symbols up and draw them.
#include <filesystem>
#include <set>
#include <string>

#include "SymbolicTestSupport.h"
#include "kelto/data/Catalogue.h"
#include "symbolic/SkeldaSymbolCSSGB.h"
#include "symbolic/SkeldaSymbolFilter.h"

namespace symbolic_test {
namespace {

namespace fs = std::filesystem;

const fs::path kLibrary = fs::path(KELTO_SOURCE_DIR) / "examples/symbols/kelto-standard.sym";

bool IsSpindleKey(const std::string& key) { return key.rfind("SP", 0) == 0; }

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
    EXPECT_GT(symbol.Length(), 0.0);
    EXPECT_GT(symbol.Width(), 0.0);
    long lines = 0;
    for (const auto& i : symbol.instructions) lines += i.code == CSkeldaSymbol::kPlotTo;
    EXPECT_GE(lines, 2);
    if (!symbol.Spindle.empty()) {
      EXPECT_TRUE(symbol.HasSpindlePosition());
      const CSkeldaSymbol* spindle = filter.Lookup(symbol.Spindle);
      ASSERT_NE(spindle, nullptr) << symbol.Spindle;
      EXPECT_NE(spindle->Start(), spindle->End());
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
    if (IsSpindleKey(key)) continue;
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
      for (const CPrimitive& p : d.geometry) {
        const CPrimitive::Line* line = p.GetLine();
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(std::isfinite(line->Start.x + line->Start.y + line->Start.z + line->End.x +
                                  line->End.y + line->End.z));
      }
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
