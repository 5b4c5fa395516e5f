// The symbolic model builder on plants read by the piping-data library: its
// options and the pipeline marker, refreshing with a
// new colour scheme, a stranger item or a symbol file, a component that
// cannot be drawn, and every example and a generated plant drawn completely
// with and without the project's symbol library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "SymbolTestText.h"
#include "SymbolicTestSupport.h"
#include "kelto/data/Generator.h"
#include "solid/PipingAccess.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace symbolic_test {
namespace {

namespace fs = std::filesystem;

// A straight pipe of one leg between the positions "x,y,z"; bore as point words.
std::string Pipe(const std::string& id, const std::string& a, const std::string& b,
                 const std::string& bore) {
  return Component(id, "Pipe", "",
                   "Run_1 " + a + " " + bore + " end=BW; Run_2 " + b + " " + bore + " end=BW",
                   "Run_1>Run_2");
}

std::string Line(const std::string& id, const std::string& components) {
  return R"({"id": ")" + id + R"(", "components": [)" + components + "]}";
}

// Four pipelines: M1 a horizontal 4-inch pipe, M2 a vertical 100 mm pipe, M3
// a pipe without bore, and A a pipe, a gate valve with the symbol key ZZGV
// (a key the catalogue does not restrict) and a pipe.
std::string MarkerPlant() {
  const std::string valve =
      Component("V1", "Gate-Valve", "",
                "Run_1 1000,3000,0 bore=100 end=BW; Run_2 1300,3000,0 bore=100 end=BW",
                "Run_1>Run_2", R"("symbolKey": "ZZGV")");
  return R"({"format": "kelto-piping", "version": 1, "pipelines": [)" +
         Line("M1", Pipe("P-M1", "0,0,0", "1000,0,0", "bore=4 units=1")) + "," +
         Line("M2", Pipe("P-M2", "0,5000,0", "0,5000,1000", "bore=100 units=2")) + "," +
         Line("M3", Pipe("P-M3", "0,8000,0", "500,8000,0", "bore=0 units=2")) + "," +
         Line("A", Pipe("P-A1", "0,3000,0", "1000,3000,0", "bore=100 units=2") + "," + valve + "," +
                       Pipe("P-A2", "1300,3000,0", "2000,3000,0", "bore=100 units=2")) +
         "]}";
}

ComPtr<IKeltoPipeline> PipelineOf(const Plant& plant, const std::string& componentId) {
  return kelto::solid::PipelineOf(plant.Component(componentId).Get());
}

CModelNode& NodeOf(const CModelNode& root, IUnknown* object) {
  const auto node = root.SearchSubtree(kelto::solid::IdentityOf(object).Get());
  if (!node) throw std::out_of_range("no node");
  return *node;
}

// Every component node below root.
std::vector<const CModelNode*> ComponentNodes(const CModelNode& root) {
  std::vector<const CModelNode*> nodes;
  for (const auto& [k, line] : root.GetChildren())
    for (const auto& [key, node] : line->GetChildren()) nodes.push_back(node.get());
  return nodes;
}

std::vector<std::string> Dump(const CGeometrySet& geometry) {
  std::vector<std::string> lines;
  for (const CPrimitive& p : geometry) lines.push_back(p.Dump());
  return lines;
}

std::set<std::int32_t> Colours(const CGeometrySet& geometry) {
  std::set<std::int32_t> colours;
  for (const CPrimitive& p : geometry) {
    if (const auto* line = p.GetLine()) colours.insert(line->Colour);
    if (const auto* cone = p.GetCone()) colours.insert(cone->Colour);
    if (const auto* circle = p.GetCircle()) colours.insert(circle->Colour);
  }
  return colours;
}

// A scheme of one colour that fails for the component ids it is given.
class FixedScheme : public IFColourScheme {
 public:
  explicit FixedScheme(std::int32_t colour, std::set<std::string> failing = {})
      : m_colour(colour), m_failing(std::move(failing)) {}
  std::int32_t GetColour(IKeltoComponent* component) override {
    if (m_failing.count(kelto::solid::IdOf(component)))
      throw std::runtime_error("no colour for this one");
    return m_colour;
  }

 private:
  std::int32_t m_colour;
  std::set<std::string> m_failing;
};

struct Recorder : CSymbolicModelBuilder::IFObserver {
  void OnComponentBuilt(IKeltoComponent* component, bool drawn, const std::string& error) override {
    const std::string id = kelto::solid::IdOf(component);
    if (!error.empty()) errors[id] = error;
    if (!drawn) undrawn.insert(id);
    ++count;
  }
  std::map<std::string, std::string> errors;
  std::set<std::string> undrawn;
  std::size_t count = 0;
};

// When markers are drawn and which items a refresh reaches is the shared
// builder's (PipingModelBuilderTest, SolidModelBuilderTest); here, the
// symbolic marker itself: a mast and a flag from the first leg.
TEST(SymbolicModelBuilder, PipelineMarkersStandOnTheFirstLeg) {
  Plant plant(MarkerPlant());
  CSymbolicModelBuilder builder;
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  builder.Options().Set("MarkerColour", _variant_t(static_cast<long>(kTestColour)));
  const auto root = builder.BuildModel(plant.File());
  struct Case {
    const char* component;
    std::vector<ExpectedLine> lines;
  };
  // s = 4 × 25.5 × 1.5 = 153 for the 4-inch horizontal pipe, mast up, flag
  // east; s = 150 for the 100 mm vertical pipe, mast east, flag up.
  const Case cases[] = {
      {"P-M1", Segments("0,0,0 0,0,153; 0,0,153 0,0,229.5; 0,0,229.5 76.5,0,191.25;"
                        "76.5,0,191.25 0,0,153")},
      {"P-M2", Segments("0,5000,0 150,5000,0; 150,5000,0 225,5000,0; 225,5000,0 187.5,5000,75;"
                        "187.5,5000,75 150,5000,0")},
      {"P-M3", {}},  // no positive bore: no marker
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.component);
    ExpectLines(NodeOf(*root, PipelineOf(plant, c.component).Get()).GetGeometry(), c.lines);
  }
}

TEST(SymbolicModelBuilder, ANewColourSchemeShowsAtTheNextSyncModel) {
  Plant plant(MarkerPlant());
  CSymbolicModelBuilder builder;
  const auto root = builder.BuildModel(plant.File());
  const auto nodes = ComponentNodes(*root);
  ASSERT_EQ(nodes.size(), 6u);
  for (const CModelNode* node : nodes) {
    ASSERT_FALSE(node->GetGeometry().empty());
    EXPECT_FALSE(Colours(node->GetGeometry()).count(0x0000AA));
  }

  builder.SetColourScheme(IFModelBuilder::SchemePtr(new FixedScheme(0x0000AA)));
  // Existing primitives keep their colours until the refresh.
  EXPECT_FALSE(Colours(nodes.front()->GetGeometry()).count(0x0000AA));
  builder.SyncModel(*root);
  for (const CModelNode* node : ComponentNodes(*root))
    EXPECT_EQ(Colours(node->GetGeometry()), std::set<std::int32_t>{0x0000AA});

  // No scheme at all draws white.
  builder.SetColourScheme(nullptr);
  builder.SyncModel(*root);
  for (const CModelNode* node : ComponentNodes(*root))
    EXPECT_EQ(Colours(node->GetGeometry()), std::set<std::int32_t>{0xFFFFFF});
}

TEST(SymbolicModelBuilder, AddedSymbolsDrawMatchingComponentsAfterTheNextSyncModel) {
  kelto::test::TempDir dir;
  const fs::path symbols = dir.path() / "cross.sym";
  // A cross from the symbol's start (0,-5) to its end (10,-5): two lines.
  symbol_test::WriteFile(
      symbols,
      symbol_test::Symbol({"ZZGV", "ZZGV", ""}, {{1, 0, -5}, {2, 10, 5}, {1, 0, 5}, {2, 10, -5}}));
  Plant plant(MarkerPlant());
  CSymbolicModelBuilder builder;
  builder.SetColourScheme(IFModelBuilder::SchemePtr(new FixedScheme(kTestColour)));
  const auto root = builder.BuildModel(plant.File());
  CModelNode& valve = NodeOf(*root, plant.Component("V1").Get());
  const std::vector<std::string> builtIn = Dump(valve.GetGeometry());
  ASSERT_FALSE(builtIn.empty());

  builder.AddSkeldaSymbols(symbols.string());
  EXPECT_EQ(Dump(valve.GetGeometry()), builtIn) << "adding a file refreshes nothing";
  builder.SyncModel(*root);
  // The cross, stretched from Run_1 to Run_2 as wide as the pipe.
  const CGeometrySet& drawn = valve.GetGeometry();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_TRUE(Near(drawn[0].GetLine()->Start, {1000, 3000, 0}, 1e-9));
  EXPECT_TRUE(Near(drawn[1].GetLine()->End, {1300, 3000, 0}, 1e-9));
  // The pipes have no symbol of their key: built-in drawings still.
  for (const char* pipe : {"P-A1", "P-A2"})
    EXPECT_FALSE(NodeOf(*root, plant.Component(pipe).Get()).GetGeometry().empty());

  // A name never added changes nothing; the added one goes, and with it the
  // symbol at the next refresh.
  builder.RemoveSkeldaSymbols((dir.path() / "other.sym").string());
  builder.SyncModel(*root);
  EXPECT_EQ(valve.GetGeometry().size(), 2u);
  builder.RemoveSkeldaSymbols(symbols.string());
  builder.SyncModel(*root);
  EXPECT_EQ(Dump(valve.GetGeometry()), builtIn);
}

TEST(SymbolicModelBuilder, AComponentThatCannotBeDrawnStaysEmptyAndTheRestIsDrawn) {
  Plant plant(MarkerPlant());
  CSymbolicModelBuilder builder;
  Recorder recorder;
  builder.SetObserver(&recorder);
  builder.SetColourScheme(IFModelBuilder::SchemePtr(new FixedScheme(0x0000AA, {"V1"})));
  const auto root = builder.BuildModel(plant.File());
  EXPECT_EQ(recorder.count, 6u);
  EXPECT_EQ(recorder.errors,
            (std::map<std::string, std::string>{{"V1", "no colour for this one"}}));
  EXPECT_EQ(recorder.undrawn, std::set<std::string>{"V1"});
  for (const CModelNode* node : ComponentNodes(*root)) {
    const bool isValve =
        node->GetObject() == kelto::solid::IdentityOf(plant.Component("V1").Get()).Get();
    EXPECT_EQ(node->GetGeometry().empty(), isValve);
  }
}

// Every example and a generated plant holding every component type, with and
// without the project's symbol library: every component gets a drawing.
struct PlantCase {
  std::string name;
  bool symbols;
};

class CompletePlant : public ::testing::TestWithParam<PlantCase> {};

TEST_P(CompletePlant, EveryComponentIsDrawn) {
  const fs::path source = KELTO_SOURCE_DIR;
  const fs::path library = source / "examples/symbols/kelto-standard.sym";
  if (GetParam().symbols && !fs::exists(library)) GTEST_SKIP() << library << " does not exist yet";
  kelto::test::TempDir dir;
  fs::path path = source / "examples" / (GetParam().name + ".json");
  if (GetParam().name == "generated") {
    path = dir.path() / "plant.json";
    std::ofstream(path, std::ios::binary) << kelto::data::Generate(1500, 11);
  }
  const ComPtr<IKeltoFile> file = LoadFile(path);

  CSymbolicModelBuilder builder;
  if (GetParam().symbols) builder.AddSkeldaSymbols(library.string());
  Recorder recorder;
  builder.SetObserver(&recorder);
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  const auto root = builder.BuildModel(file.Get());

  EXPECT_EQ(recorder.errors, (std::map<std::string, std::string>{}));
  EXPECT_EQ(recorder.undrawn, std::set<std::string>{});
  const auto nodes = ComponentNodes(*root);
  EXPECT_EQ(recorder.count, nodes.size());
  ASSERT_FALSE(nodes.empty());
  for (const CModelNode* node : nodes) {
    ComPtr<IKeltoComponent> component;
    node->GetObject()->QueryInterface(kelto::com::IidOf<IKeltoComponent>(), component.PutVoid());
    EXPECT_FALSE(node->GetGeometry().empty())
        << "component " << kelto::solid::IdOf(component.Get()) << " has no lines";
  }
  std::size_t marked = 0;
  for (const auto& [key, line] : root->GetChildren()) marked += !line->GetGeometry().empty();
  EXPECT_GT(marked, 0u);
}

std::vector<PlantCase> PlantCases() {
  std::vector<PlantCase> cases;
  std::set<std::string> names = {"generated"};
  for (const auto& entry : fs::directory_iterator(fs::path(KELTO_SOURCE_DIR) / "examples"))
    if (entry.path().extension() == ".json") names.insert(entry.path().stem().string());
  for (const std::string& name : names)
    for (bool symbols : {false, true}) cases.push_back({name, symbols});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Plants, CompletePlant, ::testing::ValuesIn(PlantCases()),
                         [](const auto& info) {
                           std::string name =
                               info.param.name + (info.param.symbols ? "_symbols" : "");
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace symbolic_test
