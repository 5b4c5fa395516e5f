// The solid model builder: pipeline markers, synchronisation reusing nodes
// and refreshing one item, external dimensions. The tree's shape and boxes
// are the golden dumps' (RealPlantTest); a component that fails is the
// summary's (ModelTextTest).
#include <optional>

#include "SolidTestSupport.h"
#include "solid/SolidModelBuilder.h"

namespace solid_test {
namespace {

class ModelBuilderTest : public ::testing::Test {
 protected:
  CModelNode* NodeOf(CModelNode& root, IUnknown* object) {
    return root.SearchSubtree(kelto::com::Identity(object).Get()).get();
  }
  // The colour of the node's first primitive, as DescribePrimitive ends it.
  std::string ColourOf(CModelNode& root, IUnknown* object) {
    const std::string text = GeometryOf(root, object).at(0);
    return text.substr(text.size() - 8);
  }
  Lines GeometryOf(CModelNode& root, IUnknown* object) {
    return Describe(NodeOf(root, object)->GetGeometry());
  }
  Lines GeometryOf(CModelNode& root, IKeltoFile* file, const std::string& id) {
    return GeometryOf(root, ComponentOf(file, id).Get());
  }

  CSolidModelBuilder builder;
};

TEST_F(ModelBuilderTest, PipelineMarkersStandAtTheOpenStart) {
  const auto file = Load(
      Plant{{"A", {Pipe("P1", {0, 0, 0}, {1000, 0, 0}), Pipe("P2", {1000, 0, 0}, {1000, 0, 800})}},
            {"V", {Pipe("P3", {0, 5000, 0}, {0, 5000, 500}, 4, 1)}},
            {"Loop",
             {Pipe("L1", {1000, 5000, 0}, {1100, 5000, 0}),
              Pipe("L2", {1100, 5000, 0}, {1000, 5000, 0})}}});
  const auto root = builder.BuildModel(file.Get());
  const auto marker = [&](const char* line) {
    return GeometryOf(*root, PipelineOf(file.Get(), line).Get());
  };
  // When markers come and go: PipingModelBuilderTest.
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  builder.Options().Set("MarkerColour", _variant_t(255L));
  builder.SyncModel(*root);
  // Size 2 × 100; the start is P1's open Run_1; the leg runs east, so the
  // mast stands up and the arrow points east.
  EXPECT_EQ(marker("A"),
            (Lines{"Line (0, 0, 0) to (0, 0, 200) colour 0x0000ff",
                   "Cone (0, 0, 200) D 133.333 to (133.333, 0, 200) D 0 colour 0x0000ff"}));
  // 4 in × 25.5 × 2 = 204; a vertical leg puts the mast east.
  EXPECT_EQ(marker("V"),
            (Lines{"Line (0, 5000, 0) to (204, 5000, 0) colour 0x0000ff",
                   "Cone (204, 5000, 0) D 136 to (204, 5000, 136) D 0 colour 0x0000ff"}));
  EXPECT_TRUE(marker("Loop").empty());  // a closed loop has no open start
}

TEST_F(ModelBuilderTest, AMarkerReadsTheLegDirectionAsAUnitVector) {
  // The same steep pipe with its direction left to the library and written
  // out unscaled: one marker, the mast east (the leg counts as vertical).
  const auto steep = [](const char* id, std::optional<CVector3> direction) {
    return Comp(id, "Pipe")
        .Point("Run_1", {0, 0, 0})
        .Point("Run_2", {5, 0, 1000})
        .Leg("Run_1", "Run_2", direction);
  };
  for (const auto& direction : {std::optional<CVector3>(), std::optional(CVector3(5, 0, 1000))}) {
    const auto file = Load(Plant{{"A", {steep("P", direction)}}});
    builder.Options().Set("PipelineMarkers", _variant_t(true));
    const auto root = builder.BuildModel(file.Get());
    const Lines marker = GeometryOf(*root, PipelineOf(file.Get(), "A").Get());
    ASSERT_EQ(marker.size(), 2u);
    EXPECT_EQ(marker[0], "Line (0, 0, 0) to (200, 0, 0) colour 0xffffff");
  }
}

// Attached data that lives with a node, to see nodes being reused.
struct Tag : CModelNode::CAssociated {};

TEST_F(ModelBuilderTest, SyncModelReusesTheNodesOfComponentsThatStay) {
  const auto file = Load(
      Plant{{"A", {Pipe("P1", {0, 0, 0}, {1000, 0, 0}), Pipe("P2", {1000, 0, 0}, {2000, 0, 0})}}});
  const auto root = builder.BuildModel(file.Get());
  const auto p1 = ComponentOf(file.Get(), "P1");
  const auto p2 = ComponentOf(file.Get(), "P2");
  CModelNode* node1 = NodeOf(*root, p1.Get());
  node1->SetAssociated(AssociationKey(1), CModelNode::AssociatedPtr(new Tag));

  // Edit the data: P2 goes, P3 comes, P1 moves.
  Load(Plant{{"A", {Pipe("P1", {0, 0, 0}, {500, 0, 0}), Pipe("P3", {500, 0, 0}, {900, 0, 0})}}},
       file.Get());
  builder.SyncModel(*root);

  EXPECT_EQ(NodeOf(*root, p1.Get()), node1);
  EXPECT_TRUE(node1->GetAssociated(AssociationKey(1)));
  EXPECT_EQ(Describe(node1->GetGeometry()),
            Lines{"Cone (0, 0, 0) D 100 to (500, 0, 0) D 100 colour 0x00ff00"});
  EXPECT_EQ(NodeOf(*root, p2.Get()), nullptr);
  EXPECT_NE(NodeOf(*root, ComponentOf(file.Get(), "P3").Get()), nullptr);
  EXPECT_EQ(root->GetBoundBox().GetMax().x, 1000);
}

TEST_F(ModelBuilderTest, SyncBelowRefreshesOnlyTheNodeOfItsItem) {
  const auto file = Load(Plant{{"A", {Pipe("P1", {0, 0, 0}, {1000, 0, 0})}},
                               {"B", {Pipe("P2", {0, 100, 0}, {1000, 100, 0})}}});
  const auto root = builder.BuildModel(file.Get());
  struct White : IFColourScheme {
    std::int32_t GetColour(IKeltoComponent*) override { return 0x123456; }
  };
  builder.SetColourScheme(IFModelBuilder::SchemePtr(new White));
  const auto p1 = ComponentOf(file.Get(), "P1"), p2 = ComponentOf(file.Get(), "P2");

  // An item that is not in the tree changes nothing.
  builder.SyncBelow(*root, Load(Plant{}).Get());
  EXPECT_EQ(ColourOf(*root, p1.Get()), "0x00ff00");

  // The root's own object reaches the whole model: ComSolidModelBuilderTest.
  builder.SyncBelow(*root, PipelineOf(file.Get(), "A").Get());
  EXPECT_EQ(ColourOf(*root, p1.Get()), "0x123456");
  EXPECT_EQ(ColourOf(*root, p2.Get()), "0x00ff00");
}

TEST_F(ModelBuilderTest, ExternalDimensionsReachTheGeometry) {
  const auto file = Load({Pipe("P1", {0, 0, 0}, {1000, 0, 0})});
  std::string errors;
  builder.SetExternalDimensionConfig(
      "<D><Aspect Name='Bore' Expression='Bore'/><Lookup Bore='100'><Tag PipeOD='114.3'/>"
      "</Lookup></D>",
      errors);
  const auto root = builder.BuildModel(file.Get());
  EXPECT_EQ(GeometryOf(*root, file.Get(), "P1"),
            Lines{"Cone (0, 0, 0) D 114.3 to (1000, 0, 0) D 114.3 colour 0x00ff00"});
}

}  // namespace
}  // namespace solid_test
