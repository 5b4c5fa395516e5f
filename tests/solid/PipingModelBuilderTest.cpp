// The part every model builder shares, driven through a builder whose hooks
// record what they are asked and fail on demand: which hooks run for which
// nodes, and what becomes of a marker that fails half-way.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "SolidTestSupport.h"
#include "solid/PipingAccess.h"
#include "solid/PipingModelBuilder.h"

namespace solid_test {
namespace {

// Draws one line per component and per marker; the marker of pipeline
// failingLine draws its line and then throws failure.
class ProbeBuilder : public CPipingModelBuilder {
 public:
  enum class Failure { kNone, kError, kOutOfMemory };

  SchemePtr GetColourScheme() override { return nullptr; }
  void SetColourScheme(SchemePtr) override {}

  std::vector<std::string> components;  // ids, in the order drawn
  std::string failingLine;
  Failure failure = Failure::kNone;

 protected:
  void BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) override {
    components.push_back(kelto::solid::IdOf(component));
    geometry.AddLine({0, 0, 0}, {1, 0, 0}, 1);
  }
  void DrawPipelineMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry,
                          std::int32_t colour) override {
    const std::string name = kelto::solid::NameOf(pipeline);
    geometry.AddLine({0, 0, 0}, {0, 1, 0}, colour);
    if (name != failingLine) return;
    if (failure == Failure::kError) throw std::runtime_error("no routes");
    if (failure == Failure::kOutOfMemory) throw std::bad_alloc();
  }
};

class PipingModelBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = Load(Plant{{"A", {Pipe("P1", {0, 0, 0}, {1000, 0, 0})}},
                      {"B", {Pipe("P2", {0, 500, 0}, {0, 900, 0})}},
                      {"C", {Pipe("P3", {0, 0, 500}, {0, 0, 900})}}});
  }
  const CGeometrySet& GeometryOfLine(CModelNode& root, const std::string& name) {
    return root.SearchSubtree(kelto::com::Identity(PipelineOf(file.Get(), name).Get()).Get())
        ->GetGeometry();
  }

  ComPtr<IKeltoFile> file;
  ProbeBuilder builder;
};

TEST_F(PipingModelBuilderTest, AFailingMarkerLeavesItsPipelineBareAndTheWalkGoesOn) {
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  builder.failingLine = "B";
  builder.failure = ProbeBuilder::Failure::kError;
  const auto root = builder.BuildModel(file.Get());
  // The line drawn before the failure is gone: half a marker is not kept.
  EXPECT_TRUE(GeometryOfLine(*root, "B").empty());
  EXPECT_EQ(GeometryOfLine(*root, "A").size(), 1u);
  EXPECT_EQ(GeometryOfLine(*root, "C").size(), 1u);
  EXPECT_EQ(builder.components, (std::vector<std::string>{"P1", "P2", "P3"}));
}

TEST_F(PipingModelBuilderTest, RunningOutOfMemoryInAMarkerEndsTheSynchronisation) {
  const auto root = builder.BuildModel(file.Get());
  builder.Options().Set("PipelineMarkers", _variant_t(true));
  builder.failingLine = "B";
  builder.failure = ProbeBuilder::Failure::kOutOfMemory;
  EXPECT_THROW(builder.SyncModel(*root), std::bad_alloc);
}

}  // namespace
}  // namespace solid_test
