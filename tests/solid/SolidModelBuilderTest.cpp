// The solid model builder: tree shape, synchronisation reusing nodes,
// pipeline markers, options, and failures that stay with one component.
#include <map>

#include "SolidTestSupport.h"
#include "colour/GroupColScheme.h"
#include "platform/com/ComError.h"
#include "solid/SolidModelBuilder.h"

namespace solid_test {
namespace {

struct Recorder : CSolidModelBuilder::IFObserver {
  std::map<std::string, CBuildOutcome> outcomes;
  void OnComponentBuilt(IKeltoComponent* component, const CBuildOutcome& outcome) override {
    BSTR id = nullptr;
    component->get_Id(&id);
    outcomes[kelto::com::BstrToUtf8(id)] = outcome;
    SysFreeString(id);
  }
};

class ModelBuilderTest : public ::testing::Test {
 protected:
  FakeComponent& Pipe(FakePipeline& p, const std::string& id, CPoint3 a, CPoint3 b,
                      double bore = 100, long units = 2) {
    FakeComponent& c = p.Add(id, "Pipe", "Pipe");
    c.Point("Run_1", a, bore, "BW", false, units);
    c.Point("Run_2", b, bore, "BW", false, units);
    c.Leg("Run_1", "Run_2");
    return c;
  }
  CModelNode* NodeOf(CModelNode& root, IUnknown* object) {
    return root.SearchSubtree(kelto::com::Identity(object).Get()).get();
  }
  // The colour of the node's first primitive, as DescribePrimitive ends it.
  std::string ColourOf(CModelNode& root, IUnknown* object) {
    const std::string text = GeometryOf(root, object).at(0);
    return text.substr(text.size() - 8);
  }
  std::vector<std::string> GeometryOf(CModelNode& root, IUnknown* object) {
    return Describe(NodeOf(root, object)->GetGeometry());
  }

  WalkerRegistration walker;
  ComPtr<FakeFile> file = MakeFile();
  CSolidModelBuilder builder;
};

TEST_F(ModelBuilderTest, FileWithoutPipelinesGivesARootWithoutChildren) {
  const auto root = builder.BuildModel(file.Get());
  EXPECT_EQ(root->GetKey(), kelto::com::Identity(static_cast<IKeltoFile*>(file.Get())).Get());
  EXPECT_TRUE(root->GetChildren().empty());
  EXPECT_TRUE(root->GetGeometry().empty());
}

TEST_F(ModelBuilderTest, TreeHasPipelinesAndTheirComponents) {
  FakePipeline& a = file->Add("A");
  FakePipeline& b = file->Add("B");
  FakeComponent& p1 = Pipe(a, "P1", {0, 0, 0}, {1000, 0, 0});
  Pipe(a, "P2", {1000, 0, 0}, {2000, 0, 0});
  Pipe(b, "P3", {0, 500, 0}, {0, 900, 0}, 50);
  file->Connect();
  Recorder recorder;
  builder.SetObserver(&recorder);
  const auto root = builder.BuildModel(file.Get());
  ASSERT_EQ(root->GetChildren().size(), 2u);
  EXPECT_EQ(NodeOf(*root, static_cast<IKeltoPipeline*>(&a))->GetChildren().size(), 2u);
  EXPECT_TRUE(NodeOf(*root, static_cast<IKeltoPipeline*>(&a))->GetGeometry().empty());
  EXPECT_EQ(GeometryOf(*root, static_cast<IKeltoComponent*>(&p1)),
            std::vector<std::string>{"Cone (0, 0, 0) D 100 to (1000, 0, 0) D 100 colour 0x00ff00"});
  EXPECT_EQ(recorder.outcomes.size(), 3u);
  EXPECT_EQ(recorder.outcomes["P3"].function, "DrawLegs");
  const CBoundBox& box = root->GetBoundBox();
  EXPECT_EQ(box.GetMin(), CPoint3(-100, -100, -100));
  EXPECT_EQ(box.GetMax(), CPoint3(2100, 950, 100));
}

TEST_F(ModelBuilderTest, OptionsAreRegisteredWithTheirDefaults) {
  COptions& options = builder.Options();
  EXPECT_EQ(options.GetNames(), (std::vector<std::string>{"MarkerColour", "PipelineMarkers"}));
  EXPECT_EQ(options.Get("PipelineMarkers").vt, VT_BOOL);
  EXPECT_EQ(options.Get("PipelineMarkers").boolVal, VARIANT_FALSE);
  EXPECT_EQ(options.Get("MarkerColour").lVal, 0xFFFFFF);
}

TEST_F(ModelBuilderTest, PipelineMarkersShowAtTheNextSynchronisation) {
  FakePipeline& a = file->Add("A");
  Pipe(a, "P1", {0, 0, 0}, {1000, 0, 0});
  Pipe(a, "P2", {1000, 0, 0}, {1000, 0, 800});
  file->Connect();
  const auto root = builder.BuildModel(file.Get());
  IUnknown* pipeline = static_cast<IKeltoPipeline*>(&a);
  EXPECT_TRUE(GeometryOf(*root, pipeline).empty());

  builder.Options().Set("PipelineMarkers", _variant_t(true));
  builder.Options().Set("MarkerColour", _variant_t(255L));
  EXPECT_TRUE(GeometryOf(*root, pipeline).empty());  // not before the next synchronisation
  builder.SyncModel(*root);
  // Size 2 × 100; the start is P1's open Run_1; the leg runs east, so the
  // mast stands up and the arrow points east.
  EXPECT_EQ(GeometryOf(*root, pipeline),
            (std::vector<std::string>{
                "Line (0, 0, 0) to (0, 0, 200) colour 0x0000ff",
                "Cone (0, 0, 200) D 133.333 to (133.333, 0, 200) D 0 colour 0x0000ff"}));

  builder.Options().Set("PipelineMarkers", _variant_t(false));
  builder.SyncModel(*root);
  EXPECT_TRUE(GeometryOf(*root, pipeline).empty());
}

TEST_F(ModelBuilderTest, MarkerOnAVerticalInchLineAndNoneOnAClosedLoop) {
  FakePipeline& a = file->Add("A");
  Pipe(a, "P1", {0, 0, 0}, {0, 0, 500}, 4, 1);
  FakePipeline& loop = file->Add("Loop");
  Pipe(loop, "L1", {0, 0, 0}, {100, 0, 0});
  Pipe(loop, "L2", {100, 0, 0}, {0, 0, 0});
  // The two pipelines meet at the origin; connect the loop on itself only.
  file->Connect();
  a.components[0]->Find("Run_1")->connected = nullptr;
  loop.components[0]->Find("Run_1")->connected = loop.components[1]->Find("Run_2");
  loop.components[1]->Find("Run_2")->connected = loop.components[0]->Find("Run_1");
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  const auto root = builder.BuildModel(file.Get());
  // 4 in × 25.5 × 2 = 204; a vertical leg puts the mast east.
  EXPECT_EQ(GeometryOf(*root, static_cast<IKeltoPipeline*>(&a)),
            (std::vector<std::string>{"Line (0, 0, 0) to (204, 0, 0) colour 0xffffff",
                                      "Cone (204, 0, 0) D 136 to (204, 0, 136) D 0 colour "
                                      "0xffffff"}));
  EXPECT_TRUE(GeometryOf(*root, static_cast<IKeltoPipeline*>(&loop)).empty());
}

// Attached data that lives with a node, to see nodes being reused.
struct Tag : CModelNode::CAssociated {};

TEST_F(ModelBuilderTest, SyncModelReusesTheNodesOfComponentsThatStay) {
  FakePipeline& a = file->Add("A");
  FakeComponent& p1 = Pipe(a, "P1", {0, 0, 0}, {1000, 0, 0});
  FakeComponent& p2 = Pipe(a, "P2", {1000, 0, 0}, {2000, 0, 0});
  const auto root = builder.BuildModel(file.Get());
  CModelNode* node1 = NodeOf(*root, static_cast<IKeltoComponent*>(&p1));
  node1->SetAssociated(AssociationKey(1), CModelNode::AssociatedPtr(new Tag));

  // Edit the data: P2 goes, P3 comes, P1 moves.
  p1.Find("Run_2")->position = {500, 0, 0};
  ComPtr<FakeComponent> keep2(&p2);
  a.components.erase(a.components.begin() + 1);
  FakeComponent& p3 = Pipe(a, "P3", {500, 0, 0}, {900, 0, 0});
  builder.SyncModel(*root);

  EXPECT_EQ(NodeOf(*root, static_cast<IKeltoComponent*>(&p1)), node1);
  EXPECT_TRUE(node1->GetAssociated(AssociationKey(1)));
  EXPECT_EQ(Describe(node1->GetGeometry()),
            std::vector<std::string>{"Cone (0, 0, 0) D 100 to (500, 0, 0) D 100 colour 0x00ff00"});
  EXPECT_EQ(NodeOf(*root, static_cast<IKeltoComponent*>(keep2.Get())), nullptr);
  EXPECT_NE(NodeOf(*root, static_cast<IKeltoComponent*>(&p3)), nullptr);
  EXPECT_EQ(root->GetBoundBox().GetMax().x, 1000);
}

TEST_F(ModelBuilderTest, SyncBelowRefreshesOnlyTheNodeOfItsItem) {
  FakePipeline& a = file->Add("A");
  FakePipeline& b = file->Add("B");
  FakeComponent& p1 = Pipe(a, "P1", {0, 0, 0}, {1000, 0, 0});
  FakeComponent& p2 = Pipe(b, "P2", {0, 100, 0}, {1000, 100, 0});
  const auto root = builder.BuildModel(file.Get());
  struct White : IFColourScheme {
    std::int32_t GetColour(IKeltoComponent*) override { return 0x123456; }
  };
  builder.SetColourScheme(IFModelBuilder::SchemePtr(new White));

  // An item that is not in the tree changes nothing.
  auto stranger = MakeFile();
  builder.SyncBelow(*root, static_cast<IKeltoFile*>(stranger.Get()));
  EXPECT_EQ(ColourOf(*root, static_cast<IKeltoComponent*>(&p1)), "0x00ff00");

  builder.SyncBelow(*root, static_cast<IKeltoPipeline*>(&a));
  EXPECT_EQ(ColourOf(*root, static_cast<IKeltoComponent*>(&p1)), "0x123456");
  EXPECT_EQ(ColourOf(*root, static_cast<IKeltoComponent*>(&p2)), "0x00ff00");

  // The root's own object: the whole model.
  builder.SyncBelow(*root, static_cast<IKeltoFile*>(file.Get()));
  EXPECT_EQ(ColourOf(*root, static_cast<IKeltoComponent*>(&p2)), "0x123456");
}

TEST_F(ModelBuilderTest, AComponentThatCannotBeReadStaysEmptyAndTheRestIsDrawn) {
  FakePipeline& a = file->Add("A");
  FakeComponent& bad = Pipe(a, "BAD", {0, 0, 0}, {1000, 0, 0});
  FakeComponent& good = Pipe(a, "GOOD", {1000, 0, 0}, {2000, 0, 0});
  bad.failLegs = true;
  Recorder recorder;
  builder.SetObserver(&recorder);
  const auto root = builder.BuildModel(file.Get());
  EXPECT_TRUE(GeometryOf(*root, static_cast<IKeltoComponent*>(&bad)).empty());
  EXPECT_EQ(GeometryOf(*root, static_cast<IKeltoComponent*>(&good)).size(), 1u);
  EXPECT_EQ(recorder.outcomes["BAD"].function, "");
  EXPECT_NE(recorder.outcomes["BAD"].error.find("0x80004005"), std::string::npos)
      << recorder.outcomes["BAD"].error;
  EXPECT_EQ(recorder.outcomes["GOOD"].error, "");
}

TEST_F(ModelBuilderTest, ANullCollectionEndsTheSynchronisation) {
  file->nullPipelines = true;
  try {
    builder.BuildModel(file.Get());
    FAIL() << "no error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
  }
  EXPECT_THROW(builder.BuildModel(nullptr), _com_error);
}

TEST_F(ModelBuilderTest, ExternalDimensionsAndColourSchemeReachTheGeometry) {
  FakePipeline& a = file->Add("A");
  FakeComponent& p1 = Pipe(a, "P1", {0, 0, 0}, {1000, 0, 0});
  std::string errors;
  builder.SetExternalDimensionConfig(
      "<D><Aspect Name='Bore' Expression='Bore'/><Lookup Bore='100'><Tag PipeOD='114.3'/>"
      "</Lookup><Lookup Oops='1'/></D>",
      errors);
  EXPECT_EQ(errors, "Unknown aspect : Oops\n");
  const auto root = builder.BuildModel(file.Get());
  EXPECT_EQ(
      GeometryOf(*root, static_cast<IKeltoComponent*>(&p1)),
      std::vector<std::string>{"Cone (0, 0, 0) D 114.3 to (1000, 0, 0) D 114.3 colour 0x00ff00"});
  // The default scheme is a group scheme shared through its own count.
  EXPECT_NE(dynamic_cast<CGroupColScheme*>(builder.GetColourScheme().get()), nullptr);
}

}  // namespace
}  // namespace solid_test
