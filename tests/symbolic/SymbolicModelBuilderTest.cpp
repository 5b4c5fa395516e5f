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
  // s = 4 × 25.5 × 1.5 = 153 for the 4-inch horizontal pipe, mast up, flag
  // east; s = 150 for the 100 mm vertical pipe, mast east, flag up.
  const DrawCase cases[] = {
      {"P-M1", Segments("0,0,0 0,0,153; 0,0,153 0,0,229.5; 0,0,229.5 76.5,0,191.25;"
                        "76.5,0,191.25 0,0,153")},
      {"P-M2", Segments("0,5000,0 150,5000,0; 150,5000,0 225,5000,0; 225,5000,0 187.5,5000,75;"
                        "187.5,5000,75 150,5000,0")},
      {"P-M3", {}},  // no positive bore: no marker
  };
  for (const DrawCase& c : cases) {
    SCOPED_TRACE(c.id);
    ExpectLines(
        NodeOf(*root, kelto::solid::PipelineOf(plant.Component(c.id).Get()).Get()).GetGeometry(),
        c.lines);
  }
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
  EXPECT_EQ(drawn[0].GetLine()->Colour, kTestColour);  // the scheme's colour
  EXPECT_TRUE(Near(drawn[0].GetLine()->Start, {1000, 3000, 0}, 1e-9));
  EXPECT_TRUE(Near(drawn[1].GetLine()->End, {1300, 3000, 0}, 1e-9));
  // The pipes have no symbol of their key: built-in drawings still.
  for (const char* pipe : {"P-A1", "P-A2"})
    EXPECT_FALSE(NodeOf(*root, plant.Component(pipe).Get()).GetGeometry().empty());

  // The file goes, and with it the symbol at the next refresh.
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
TEST(SymbolicModelBuilder, EveryComponentOfEveryPlantIsDrawn) {
  const fs::path source = KELTO_SOURCE_DIR;
  kelto::test::TempDir dir;
  std::set<fs::path> plants = {dir.path() / "generated.json"};
  std::ofstream(dir.path() / "generated.json", std::ios::binary) << kelto::data::Generate(1500, 11);
  for (const auto& entry : fs::directory_iterator(source / "examples"))
    if (entry.path().extension() == ".json") plants.insert(entry.path());
  const fs::path library = source / "examples/symbols/kelto-standard.sym";
  for (const fs::path& path : plants) {
    for (const bool symbols : {false, true}) {
      SCOPED_TRACE(path.filename().string() + (symbols ? " with symbols" : ""));
      const ComPtr<IKeltoFile> file = LoadFile(path);
      CSymbolicModelBuilder builder;
      if (symbols) builder.AddSkeldaSymbols(library.string());
      Recorder recorder;
      builder.SetObserver(&recorder);
      builder.Options().Set("PipelineMarkers", _variant_t(true));
      const auto root = builder.BuildModel(file.Get());

      EXPECT_EQ(recorder.errors, (std::map<std::string, std::string>{}));
      EXPECT_EQ(recorder.undrawn, std::set<std::string>{});
      const auto nodes = ComponentNodes(*root);
      EXPECT_EQ(recorder.count, nodes.size());
      ASSERT_FALSE(nodes.empty());
      for (std::size_t i = 0; i < nodes.size(); ++i)
        EXPECT_FALSE(nodes[i]->GetGeometry().empty()) << "component " << i << " has no lines";
      std::size_t marked = 0;
      for (const auto& [key, line] : root->GetChildren()) marked += !line->GetGeometry().empty();
      EXPECT_GT(marked, 0u);
    }
  }
}

}  // namespace
}  // namespace symbolic_test
