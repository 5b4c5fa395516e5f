// The labelled model dump and the summary of `kelto3d info`.
#include <sstream>

#include "BrokenPiping.h"
#include "SolidTestSupport.h"
#include "solid/ModelDump.h"
#include "solid/ModelSummary.h"
#include "solid/PipingAccess.h"
#include "solid/SolidModelBuilder.h"

namespace solid_test {
namespace {

// Pipelines B-2 (a pipe) and A-1 (a pipe, an elbow drawn by DrawLegs and a
// valve that cannot be read), in that order.
class ModelTextTest : public ::testing::Test {
 protected:
  static ComPtr<IKeltoPipeline> Line(const std::string& name, IKeltoFile* from,
                                     std::vector<ComPtr<IKeltoComponent>> extra = {}) {
    std::vector<ComPtr<IKeltoComponent>> components = ComponentsOf(PipelineOf(from, name).Get());
    components.insert(components.end(), extra.begin(), extra.end());
    return kelto::com::MakeObject<StandInPipeline>(name, components).Get();
  }

  ModelTextTest() {
    const auto b = Load(Plant{{"B-2", {Pipe("B-2-P", {0, 0, 0}, {100, 0, 0}, 50)}}});
    const auto a = Load(Plant{{"A-1",
                               {Pipe("A-1-P", {0, 0, 0}, {100, 0, 0}, 50),
                                // Degenerate: the face is on the centre (and the zero-length leg
                                // has no direction, so DrawLegs draws no discs there).
                                Comp("A-1-E", "Elbow-90", "Fittings")
                                    .Point("Run_1", {100, 0, 0}, 50)
                                    .Centre("Centre_1", {100, 0, 0}, 50)
                                    .Point("Run_2", {100, 80, 0}, 50)
                                    .Leg("Run_1", "Centre_1")
                                    .Leg("Centre_1", "Run_2")}}});
    const auto valve = LoadOne(Comp("A-1-X", "Gate-Valve", "Valves")).component;
    const ComPtr<IKeltoComponent> broken =
        kelto::com::MakeObject<BrokenComponent>("A-1-X", kelto::solid::DetailsOf(valve.Get()))
            .Get();
    file->pipelines = {Line("B-2", b.Get()), Line("A-1", a.Get(), {broken})};
  }

  ComPtr<StandInFile> file = kelto::com::MakeObject<StandInFile>();
  CSolidModelBuilder builder;
};

// Labels in file order, boxes and the detailed form: the golden dumps
// (RealPlantTest). Here the plain form, and the component that failed is
// listed too.
TEST_F(ModelTextTest, DumpListsTheFailedComponentToo) {
  const auto root = builder.BuildModel(file.Get());
  std::ostringstream out;
  kelto::solid::WriteModelDump(out, *root, {});
  for (const char* line :
       {"file stand-in.json\n", "    component A-1-E Elbow-90\n",
        "      Cone : (100, 0, 0) to (100, 80, 0)\n", "    component A-1-X Gate-Valve\n",
        "  BoundBox : (-50, -50, -50) - (150, 130, 50) Radius = 143.527\n"})
    EXPECT_NE(out.str().find(line), std::string::npos) << line << " in\n" << out.str();
}

TEST_F(ModelTextTest, SummaryCountsAndExplainsFallbacksAndFailures) {
  CModelSummary summary;
  builder.SetObserver(&summary);
  const auto root = builder.BuildModel(file.Get());
  std::ostringstream out;
  summary.Write(out, *root);
  EXPECT_EQ(out.str(),
            "file stand-in.json\n"
            "Pipelines: 2\n"
            "  A-1: 3 components\n"
            "  B-2: 1 component\n"
            "Components: 4\n"
            "  by type (drawn by):\n"
            "    Elbow-90: 1 (DrawLegs 1)\n"
            "    Gate-Valve: 1 ((not drawn) 1)\n"
            "    Pipe: 2 (DrawLegs 2)\n"
            "  by group:\n"
            "    Fittings: 1\n"
            "    Pipe: 2\n"
            "    Valves: 1\n"
            "Primitives: 3 (lines 0, cones 3, curved cones 0, snouts 0, circles 0)\n"
            "Bounding box: (-50, -50, -50) - (150, 130, 50)\n"
            "Drawn by DrawLegs instead of their function: 1\n"
            "  A-1-E (Elbow-90): Bend1: a run face meets the centre or the other face\n"
            "Not drawn: 1\n"
            "  A-1-X (Gate-Valve): " +
                summary.Failures().at(0).outcome.error + "\n");
  EXPECT_NE(summary.Failures().at(0).outcome.error, "");
}

}  // namespace
}  // namespace solid_test
